#include "IControlBases.h"

#include "IGraphics.h"
#include "IPlugParameter.h"

#include <algorithm>

namespace iplug
{
namespace igraphics
{

IKnobControlBase::IKnobControlBase(const IRect& bounds, int paramIdx, EDirection direction, double gearing)
    : IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMods& mod)
{
  mMouseDown = true;
  mDragValue = GetValue();
  if (mHideCursorOnDrag && mGraphics) mGraphics->HideMouseCursor(true, true);
  if (mod.R) PromptForValue(ValueIndexAt(x, y));
}

void IKnobControlBase::OnMouseUp(float, float, const IMouseMods&)
{
  if (mHideCursorOnDrag && mGraphics) mGraphics->HideMouseCursor(false, false);
  mMouseDown = false;
  MarkDirty(false);
}

void IKnobControlBase::OnMouseDrag(float, float, float dX, float dY, const IMouseMods& mod)
{
  double gearing = mGearing;
  if (mod.S || mod.C) gearing *= 10.0;
  IRect r = DragBounds();
  double delta, span;
  if (mDirection == kVertical)
  {
    delta = static_cast<double>(dY);
    span = static_cast<double>(r.T) - static_cast<double>(r.B);
  }
  else
  {
    delta = static_cast<double>(dX);
    span = static_cast<double>(r.R) - static_cast<double>(r.L);
  }
  // A zero-size drag rectangle or gearing has no span to move over.
  if (span == 0.0 || gearing == 0.0) return;
  mDragValue = std::clamp(mDragValue + delta / span / gearing, 0.0, 1.0);

  double value = mDragValue;
  const IParam* param = GetParam();
  if (param && param->GetStepped() && param->GetStep() > 0.0) value = param->ConstrainNormalized(mDragValue);
  SetValue(value, 0);
  MarkDirty(true, kNoValIdx);
}

void IKnobControlBase::OnMouseWheel(float, float, const IMouseMods& mod, float d)
{
  double step = (mod.S || mod.C) ? 0.001 : 0.01;
  double value = GetValue();
  const IParam* param = GetParam();
  if (param && param->GetStepped() && param->GetStep() > 0.0)
  {
    if (d != 0.f)
    {
      double plain = param->ValueFromNormal(value);
      plain += d > 0.f ? param->GetStep() : -param->GetStep();
      value = param->NormalFromValue(plain);
    }
  }
  else
    value += static_cast<double>(d) * step;
  SetValue(value, 0);
  MarkDirty(true, kNoValIdx);
}

ISwitchControlBase::ISwitchControlBase(const IRect& bounds, int paramIdx, IActionFunction action,
                                       int numStates)
    : IControl(bounds, paramIdx, std::move(action)), mNumStates(numStates),
      mStatesDisabled(static_cast<size_t>(std::max(numStates, 0)), 0)
{
  mDblAsSingleClick = true;
}

void ISwitchControlBase::OnMouseDown(float, float, const IMouseMods&)
{
  double value = GetValue();
  if (mNumStates == 2)
    value = value == 0.0 ? 1.0 : 0.0;
  else if (mNumStates > 2)
  {
    value += 1.0 / static_cast<double>(mNumStates - 1);
    if (value > 1.0) value = 0.0;
  }
  // With fewer than two states there is nothing to step to.
  SetValue(value, 0);
  mMouseDown = true;
  MarkDirty(true, kNoValIdx);
}

void ISwitchControlBase::OnMouseUp(float, float, const IMouseMods&)
{
  mMouseDown = false;
  MarkDirty(false);
}

void ISwitchControlBase::OnInit()
{
  if (const IParam* param = GetParam())
  {
    mNumStates = static_cast<int>(param->GetMax() - param->GetMin()) + 1;
    mStatesDisabled.assign(static_cast<size_t>(std::max(mNumStates, 0)), 0);
  }
}

bool ISwitchControlBase::GetStateDisabled(int stateIdx) const
{
  if (stateIdx < 0 || stateIdx >= static_cast<int>(mStatesDisabled.size())) return false;
  return mStatesDisabled[static_cast<size_t>(stateIdx)] != 0;
}

void ISwitchControlBase::SetStateDisabled(int stateIdx, bool disabled)
{
  if (stateIdx < 0 || stateIdx >= static_cast<int>(mStatesDisabled.size())) return;
  mStatesDisabled[static_cast<size_t>(stateIdx)] = disabled ? 1 : 0;
  MarkDirty(false);
}

} // namespace igraphics
} // namespace iplug
