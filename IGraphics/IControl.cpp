#include "IControl.h"

#include "IGraphics.h"

#include <cmath>
#include <stdexcept>

namespace iplug
{
namespace igraphics
{

IControl::IControl(const IRect& bounds, int paramIdx, IActionFunction action)
    : mRect(bounds), mHitRect(bounds), mActionFunc(std::move(action))
{
  mVals.push_back({paramIdx, 0.0});
}

IControl::~IControl() = default;

void IControl::OnMouseDown(float x, float y, const IMouseMods& mod)
{
  if (mod.R) PromptForValue(ValueIndexAt(x, y));
}

void IControl::OnMouseDoubleClick(float x, float y, const IMouseMods&)
{
  PromptForValue(ValueIndexAt(x, y));
}

void IControl::OnMouseOver(float, float, const IMouseMods&)
{
  bool was = mMouseIsOver;
  mMouseIsOver = true;
  if (!was) MarkDirty(false);
}

void IControl::OnMouseOut()
{
  bool was = mMouseIsOver;
  mMouseIsOver = false;
  if (was) MarkDirty(false);
}

bool IControl::OnGesture(const IGestureInfo& info)
{
  auto it = mGestureFuncs.find(info.type);
  if (it == mGestureFuncs.end() || !it->second) return false;
  mLastGesture = info.type;
  it->second(this, info);
  return true;
}

void IControl::OnMenuChoice(IMenu* menu, int valIdx)
{
  if (!menu || valIdx < 0 || !IsBound(valIdx) || mPromptDisabled) return;
  const IParam* p = GetParam(valIdx);
  if (!p) return;
  int chosen = menu->GetChosenItemIdx();
  if (chosen < 0) return;
  // The chosen text's own value where the parameter has display texts (its
  // range need not start at 0), else the item index.
  double plain = static_cast<double>(chosen);
  if (chosen < p->DisplayTextCount()) p->DisplayTextAt(chosen, &plain);
  SetValueFromUser(p->NormalFromValue(plain), valIdx);
}

void IControl::DrawAutomationHighlight(IGraphics& g)
{
  if (mHighlighted) g.FillCircle(mHighlightColour, mRect.R - 5.f, mRect.T + 5.f, 2.f);
}

void IControl::BindParam(int paramIdx, int valIdx)
{
  if (!ValidValIdx(valIdx)) throw std::out_of_range("invalid vector subscript");
  mVals[static_cast<size_t>(valIdx)].mParamIdx = paramIdx;
  MarkDirty(false);
}

int IControl::ValueIndexAt(float, float) const
{
  return NVals() > 1 ? -1 : 0;
}

void IControl::SetValueFromPlugin(double value, int valIdx)
{
  if (mGraphics)
  {
    mGraphics->AssertUIThread();
    if (mGraphics->ControlIsCaptured(this)) return;
  }
  if (!ValidValIdx(valIdx)) return;
  if (GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    MarkDirty(false);
  }
}

void IControl::SetValueFromUser(double value, int valIdx)
{
  if (!ValidValIdx(valIdx)) return;
  if (GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    MarkDirty(true, valIdx);
  }
}

void IControl::ResetToDefault(int valIdx)
{
  valIdx = ResolveValIdx(valIdx);
  auto reset = [this](int i)
  {
    if (const IParam* p = GetParam(i)) SetValue(p->GetDefault(true), i);
  };
  if (valIdx == kNoValIdx)
    for (int i = 0; i < NVals(); ++i) reset(i);
  else if (ValidValIdx(valIdx))
    reset(valIdx);
  MarkDirty(true, valIdx);
}

void IControl::SetValue(double value, int valIdx)
{
  if (ValidValIdx(valIdx)) mVals[static_cast<size_t>(valIdx)].mValue = value;
}

void IControl::MoveTo(float x, float y)
{
  float nx = std::max(0.f, x);
  float ny = std::max(0.f, y);
  float dx = nx - mRect.L;
  float dy = ny - mRect.T;
  mRect = mRect.GetTranslated(dx, dy);
  mMouseIsOver = false;
  OnBoundsChanged();
  mHitRect = mHitRect.GetTranslated(dx, dy);
}

void IControl::SetSize(float w, float h)
{
  mRect = IRect(mRect.L, mRect.T, mRect.L + std::max(0.f, w), mRect.T + std::max(0.f, h));
  mHitRect = mRect;
  mMouseIsOver = false;
  OnBoundsChanged();
}

void IControl::SetHidden(bool hide)
{
  mHidden = hide;
  MarkDirty(false);
}

void IControl::SetDisabled(bool disable)
{
  mDisabled = disable;
  mBlend.mWeight = disable ? 0.25f : 1.f;
  MarkDirty(false);
}

bool IControl::HitTest(float x, float y) const
{
  return mHitRect.Contains(x, y);
}

void IControl::MarkDirty(bool triggerAction, int valIdx)
{
  if (mGraphics) mGraphics->AssertUIThread();
  valIdx = ResolveValIdx(valIdx);
  auto clampValue = [this](int i) { SetValue(std::clamp(GetValue(i), 0.0, 1.0), i); };
  if (valIdx == kNoValIdx)
    for (int i = 0; i < NVals(); ++i) clampValue(i);
  else if (ValidValIdx(valIdx))
    clampValue(valIdx);

  mDirty = true;

  if (triggerAction)
  {
    auto inform = [this](int i)
    {
      int paramIdx = GetParamIdx(i);
      if (paramIdx <= kNoParameter) return;
      if (mDelegate) mDelegate->ParamValueFromEditor(paramIdx, GetValue(i));
      if (mGraphics) mGraphics->SyncBoundControls(this, i);
    };
    if (valIdx == kNoValIdx)
      for (int i = 0; i < NVals(); ++i) inform(i);
    else if (ValidValIdx(valIdx))
      inform(valIdx);
  }

  if (mActionFunc) mActionFunc(this);
}

bool IControl::IsDirty() const
{
  return mAnimationFunc ? true : mDirty;
}

void IControl::SetValueFromPosition(float x, float y, int direction, const IRect& r, int valIdx,
                                    double lowClip, double highClip)
{
  x = std::clamp(x, r.L, r.R);
  y = std::clamp(y, r.T, r.B);
  double v;
  if (direction == 1)
    v = r.W() > 0.f ? static_cast<double>(x - r.L) / r.W() : 0.0;
  else
    v = r.H() > 0.f ? 1.0 - static_cast<double>(y - r.T) / r.H() : 0.0;
  // Thousandths, halves away from zero.
  double stored = std::clamp(std::round(v / 0.001) * 0.001, lowClip, highClip);
  valIdx = ResolveValIdx(valIdx);
  if (valIdx == kNoValIdx)
    for (int i = 0; i < NVals(); ++i) SetValue(stored, i);
  else
    SetValue(stored, valIdx);
  MarkDirty(true, valIdx);
}

void IControl::OnAnimationEnd()
{
  mAnimationFunc = nullptr;
  MarkDirty(false);
  if (mAnimationEndActionFunc) mAnimationEndActionFunc(this);
}

double IControl::GetValue(int valIdx) const
{
  return ValidValIdx(valIdx) ? mVals[static_cast<size_t>(valIdx)].mValue : 0.0;
}

int IControl::GetParamIdx(int valIdx) const
{
  return ValidValIdx(valIdx) ? mVals[static_cast<size_t>(valIdx)].mParamIdx : kNoParameter;
}

const IParam* IControl::GetParam(int valIdx) const
{
  int paramIdx = GetParamIdx(valIdx);
  if (paramIdx <= kNoParameter || !mDelegate) return nullptr;
  return mDelegate->ParamAt(paramIdx);
}

void IControl::PromptForValue(int valIdx)
{
  if (valIdx < 0 || !IsBound(valIdx) || mPromptDisabled) return;
  const IParam* p = GetParam(valIdx);
  if (!p || !mGraphics) return;
  IRect bounds = mRect;
  if (p->DisplayTextCount() == 0)
    bounds = IRect(mRect.MW() - 26.666666f, mRect.MH() - 10.666667f, mRect.MW() + 26.666666f,
                   mRect.MH() + 10.666667f);
  mGraphics->OpenValuePrompt(this, bounds, valIdx);
  MarkDirty(false);
}

void IControl::SetHighlight(bool on, int colourCode)
{
  mHighlighted = on;
  switch (colourCode)
  {
  case kHighlightRed:
    mHighlightColour = kColourRed;
    break;
  case kHighlightBlue:
    mHighlightColour = kColourBlue;
    break;
  case kHighlightGreen:
    mHighlightColour = kColourGreen;
    break;
  case kHighlightYellow:
    mHighlightColour = kColourYellow;
    break;
  default:
    break;
  }
}

void IControl::SetAnimation(IAnimationFunction func, double durationMs)
{
  mAnimationFunc = std::move(func);
  mAnimationStartTime = std::chrono::steady_clock::now();
  mAnimationDuration = Milliseconds(durationMs);
}

double IControl::GetAnimationProgress() const
{
  if (!mAnimationFunc || mAnimationDuration.count() <= 0.0) return 0.0;
  Milliseconds elapsed = std::chrono::steady_clock::now() - mAnimationStartTime;
  return elapsed.count() / mAnimationDuration.count();
}

} // namespace igraphics
} // namespace iplug
