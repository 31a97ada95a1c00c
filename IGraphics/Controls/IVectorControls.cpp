#include "IVectorControls.h"

#include "IGraphics.h"
#include "IPlugParameter.h"

#include <algorithm>
#include <cmath>

namespace iplug
{
namespace igraphics
{

IVectorBase::IVectorBase(const IVectorStyle& style, IControl* control, const char* label)
    : mStyle(style), mControl(control), mLabelStr(label ? label : "")
{
}

IColour IVectorBase::Darkened(const IColour& c)
{
  auto down = [](int v) { return std::clamp(v - 63, 0, 255); };
  return IColour(c.A, down(c.R), down(c.G), down(c.B));
}

void IVectorBase::MakeRects(const IRect& bounds)
{
  IGraphics* g = mControl ? mControl->GetUI() : nullptr;
  auto textHeight = [g](const ITextStyle& style, const std::string& text)
  {
    IRect r;
    if (g && !text.empty()) g->MeasureText(style, text.c_str(), r);
    return r.H() > 0.f ? r.H() : style.mSize;
  };
  mLabelBounds = mValueBounds = IRect();
  IRect widget = bounds;
  if (mStyle.showLabel && !mLabelStr.empty())
  {
    float h = std::min(textHeight(mStyle.labelText, mLabelStr), widget.H());
    mLabelBounds = IRect(widget.L, widget.T, widget.R, widget.T + h);
    widget.T += h;
  }
  // A control without value text of its own (a tab switch) keeps its whole
  // height for the widget: an empty text takes no room even when shown.
  if (mStyle.showValue && !mValueStr.empty())
  {
    float h = std::min(textHeight(mStyle.valueText, mValueStr), widget.H());
    mValueBounds = IRect(widget.L, widget.B - h, widget.R, widget.B);
    widget.B -= h;
  }
  mWidgetBounds = widget;
}

void IVectorBase::DrawBackground(IGraphics& g, const IRect& r)
{
  g.FillRect(mStyle.GetColour(kBG), r, mControl ? &mControl->GetBlend() : nullptr);
}

void IVectorBase::DrawLabel(IGraphics& g)
{
  if (mStyle.showLabel && !mLabelBounds.Empty() && !mLabelStr.empty())
    g.DrawText(mStyle.labelText, mLabelStr.c_str(), mLabelBounds, mControl ? &mControl->GetBlend() : nullptr);
}

void IVectorBase::DrawValue(IGraphics& g, bool)
{
  if (mStyle.showValue && !mValueBounds.Empty() && !mValueStr.empty())
    g.DrawText(mStyle.valueText, mValueStr.c_str(), mValueBounds, mControl ? &mControl->GetBlend() : nullptr);
}

IRect IVectorBase::DrawPressableShape(IGraphics& g, EVShape, const IRect& bounds, bool pressed,
                                      bool mouseOver, bool disabled)
{
  // Only the rounded rectangle is drawn; the other shapes take its form.
  const IBlendMode* blend = mControl ? &mControl->GetBlend() : nullptr;
  IRect r = bounds;
  if (mStyle.drawFrame)
  {
    float inset = mStyle.frameThickness / 2.f;
    r = IRect(r.L + inset, r.T + inset, r.R - inset, r.B - inset);
  }
  IRect face = r;
  float offset = mStyle.shadowOffset;
  if (mStyle.drawShadows) face = IRect(r.L + offset, r.T, r.R - offset, r.B - offset);
  float radius = mStyle.roundness * std::min(face.W(), face.H()) / 2.f;

  IColour faceOff = mStyle.GetColour(kFG);
  IColour faceOn = mStyle.GetColour(kPR);
  if (disabled)
  {
    faceOff = Darkened(faceOff);
    faceOn = Darkened(faceOn);
  }
  if (!pressed)
  {
    if (mStyle.drawShadows)
      g.FillRoundRect(mStyle.GetColour(kSH), face.GetTranslated(offset, offset), radius, blend);
    g.FillRoundRect(faceOff, face, radius, blend);
  }
  else
    g.FillRoundRect(faceOn, face, radius, blend);
  if (mouseOver) g.FillRoundRect(mStyle.GetColour(kHL), face, radius, blend);
  if (mStyle.drawFrame) g.DrawRoundRect(mStyle.GetColour(kFR), face, radius, blend, mStyle.frameThickness);
  return face;
}

IVTabSwitchControl::IVTabSwitchControl(const IRect& bounds, int paramIdx,
                                       const std::vector<std::string>& options, const char* label,
                                       const IVectorStyle& style, EVShape shape, int direction)
    : ISwitchControlBase(bounds, paramIdx, nullptr, static_cast<int>(options.size())),
      IVectorBase(style, this, label), mOptions(options), mDirection(direction), mShape(shape)
{
}

void IVTabSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  const IParam* param = GetParam();
  if (!param) return;
  if (mOptions.empty())
    for (int i = 0; i < mNumStates; ++i)
    {
      const char* text = param->DisplayTextFor(static_cast<double>(i) + param->GetMin());
      mOptions.push_back(text ? text : "");
    }
  if (mLabelStr.empty()) mLabelStr = param->GetName();
}

void IVTabSwitchControl::OnBoundsChanged()
{
  MakeRects(mRect);
  mHitRect = mWidgetBounds;
  mMouseIsOver = false;
  mButtons.clear();
  int n = NOptions();
  const IRect& w = mWidgetBounds;
  for (int i = 0; i < n; ++i)
  {
    float fi = static_cast<float>(i), fn = static_cast<float>(n);
    if (mDirection == kTabHorizontal)
      mButtons.emplace_back(w.L + w.W() * fi / fn, w.T, w.L + w.W() * (fi + 1.f) / fn, w.B);
    else
      mButtons.emplace_back(w.L, w.T + w.H() * fi / fn, w.R, w.T + w.H() * (fi + 1.f) / fn);
  }
  MarkDirty(false);
}

int IVTabSwitchControl::GetIndexForPt(float x, float y) const
{
  for (size_t i = 0; i < mButtons.size(); ++i)
    if (mButtons[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

int IVTabSwitchControl::GetSelectedIdx() const
{
  int n = NOptions();
  if (n < 2) return 0;
  return static_cast<int>(GetValue() * static_cast<double>(n - 1) + 0.5);
}

void IVTabSwitchControl::OnMouseDown(float x, float y, const IMouseMods&)
{
  int i = GetIndexForPt(x, y);
  if (i >= 0)
    SetValue(NOptions() > 1 ? static_cast<double>(i) / static_cast<double>(NOptions() - 1) : 0.0, 0);
  MarkDirty(true, kNoValIdx);
}

void IVTabSwitchControl::OnMouseOver(float x, float y, const IMouseMods& mod)
{
  mMouseOverButton = GetIndexForPt(x, y);
  ISwitchControlBase::OnMouseOver(x, y, mod);
  MarkDirty(false);
}

void IVTabSwitchControl::OnMouseOut()
{
  mMouseOverButton = -1;
  ISwitchControlBase::OnMouseOut();
  MarkDirty(false);
}

void IVTabSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRect);
  DrawWidget(g);
  DrawLabel(g);
}

void IVTabSwitchControl::DrawButton(IGraphics& g, const IRect& r, bool pressed, bool mouseOver, bool disabled)
{
  DrawPressableShape(g, mShape, r, pressed, mouseOver, disabled);
}

void IVTabSwitchControl::DrawWidget(IGraphics& g)
{
  int selected = GetSelectedIdx();
  for (int i = 0; i < NOptions(); ++i)
  {
    const IRect& r = mButtons[static_cast<size_t>(i)];
    DrawButton(g, r, i == selected, i == mMouseOverButton, IsDisabled() || GetStateDisabled(i));
    if (!mOptions[static_cast<size_t>(i)].empty())
      g.DrawText(mStyle.valueText, mOptions[static_cast<size_t>(i)].c_str(), r, &mBlend);
  }
}

IVRadioButtonControl::IVRadioButtonControl(const IRect& bounds, int paramIdx,
                                           const std::vector<std::string>& options, const char* label,
                                           const IVectorStyle& style, EVShape shape, int direction,
                                           float buttonSize)
    : IVTabSwitchControl(bounds, paramIdx, options, label, style, shape, direction), mButtonSize(buttonSize),
      mColumnWidth(buttonSize * 1.5f)
{
  mTextStyle.mAlign = kAlignNear;
  mTextStyle.mVAlign = kVAlignMiddle;
  mStyle.valueText.mAlign = kAlignNear;
  mStyle.valueText.mVAlign = kVAlignMiddle;
}

IRect IVRadioButtonControl::GetButtonRect(int i) const
{
  if (i < 0 || i >= static_cast<int>(mButtons.size())) return IRect();
  const IRect& cell = mButtons[static_cast<size_t>(i)];
  float side = std::max(1.f, mButtonSize);
  float cx = cell.L + mColumnWidth / 2.f;
  float cy = (cell.T + cell.B) / 2.f;
  return IRect(cx - side / 2.f, cy - side / 2.f, cx + side / 2.f, cy + side / 2.f);
}

int IVRadioButtonControl::GetIndexForPt(float x, float y) const
{
  for (size_t i = 0; i < mButtons.size(); ++i)
  {
    IRect cell = mButtons[i];
    if (cell.Empty()) continue;
    if (mOnlyButtonsRespondToMouse) cell.R = cell.L + mColumnWidth;
    if (cell.Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

void IVRadioButtonControl::DrawWidget(IGraphics& g)
{
  int selected = GetSelectedIdx();
  for (int i = 0; i < NOptions(); ++i)
  {
    DrawButton(g, GetButtonRect(i), i == selected, i == mMouseOverButton,
               IsDisabled() || GetStateDisabled(i));
    const IRect& cell = mButtons[static_cast<size_t>(i)];
    const std::string& text = mOptions[static_cast<size_t>(i)];
    if (text.empty()) continue;
    const IRect textRect(cell.L + mColumnWidth, cell.T, cell.R, cell.B);
    // An option's text wider than its cell would run into the next option.
    ITextStyle style = g.StyleFittingWidth(mStyle.valueText, text.c_str(), textRect.W());
    style.mColour = mStyle.GetColour(i == selected ? kPR : kX1);
    g.DrawText(style, text.c_str(), textRect, &mBlend);
  }
}

} // namespace igraphics
} // namespace iplug
