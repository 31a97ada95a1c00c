// IGraphics: event routing: the hit search, mouse captures, hover, the
// host's click offer, parameter gestures, keys, wheel, drops and touch
// gestures. User-interface thread (the platform layer's message handler).

#include "IGraphics.h"

#include "Controls/ICornerResizerControl.h"
#include "Controls/IPerformanceDisplayControl.h"
#include "Controls/IPopupMenuControl.h"
#include "Controls/ITextEntryControl.h"

#include <algorithm>

namespace iplug
{
namespace igraphics
{

// ===== Events =====

bool IGraphics::ControlIsCaptured(const IControl* control) const
{
  for (const auto& entry : mCapturedMap)
    if (entry.second == control) return true;
  return false;
}

void IGraphics::ReleaseMouseCapture()
{
  mCapturedMap.clear();
}

void IGraphics::ShowCursorIfHidden()
{
  if (mCursorHidden) HideMouseCursor(false);
}

IControl* IGraphics::FindControlAt(float x, float y, bool capture, bool mouseOver, uint64_t touchID)
{
  AssertUIThread();
  auto captured = mCapturedMap.find(touchID);
  if (captured != mCapturedMap.end()) return captured->second;

  if (mPopupControl && mPopupControl->IsExpanded()) return mPopupControl.get();
  if (mTextEntryControl && mTextEntryControl->IsEditing()) return mTextEntryControl.get();
  if (mCornerResizer && mCornerResizer->GetRect().Contains(x, y)) return mCornerResizer.get();
  if (mPerfDisplay && mPerfDisplay->GetRect().Contains(x, y)) return mPerfDisplay.get();

  IControl* found = nullptr;
  int foundIdx = -1;
  if (!mouseOver || mHoverEnabled)
  {
    int lowest = mouseOver ? 1 : 0; // the background never receives hover
    for (int i = NControls() - 1; i >= lowest; --i)
    {
      IControl* c = GetControl(i);
      if (!c || c->IsHidden() || c->GetIgnoreMouse()) continue;
      if (c->IsDisabled() && !(mouseOver ? c->GetMouseOverWhenDisabled() : c->GetMouseEventsWhenDisabled()))
        continue;
      if (c->HitTest(x, y))
      {
        found = c;
        foundIdx = i;
        break;
      }
    }
  }

  if (capture && found)
  {
    if (mMultiTouchEnabled && ControlIsCaptured(found) && !found->GetWantsMultiTouch()) return nullptr;
    mCapturedMap[touchID] = found;
  }

  if (mouseOver) mMouseOverIdx = foundIdx;
  return found;
}

void IGraphics::EndGestures(IControl* control)
{
  for (int v = 0; v < control->NVals(); ++v)
  {
    int paramIdx = control->GetParamIdx(v);
    if (paramIdx > kNoParameter) mDelegate->EndParamGesture(paramIdx);
  }
}

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }
  for (const IMouseInfo& point : points)
  {
    float x = point.x;
    float y = point.y;
    const IMouseMods& mod = point.ms;
    IControl* control = FindControlAt(x, y, true, false, mod.touchID);
    if (!control) continue;

    int valIdx = control->ValueIndexAt(x, y);
    if (valIdx < 0) valIdx = 0;
    int paramIdx = control->GetParamIdx(valIdx);

    // The host may take clicks on parameter controls (automation shortcuts).
    if (mViewContainer && paramIdx > kNoParameter)
    {
      uint32_t modifiers = 0;
      if (mViewContainer->GetModifiers(&modifiers) != 0) modifiers = 0;
      if (mod.S) modifiers |= kHostModShift;
      if (mod.A) modifiers |= kHostModAlt;
      if (mod.C) modifiers |= kHostModControl;
      if (mod.R) modifiers |= kHostModRightButton;
      std::string id = std::to_string(paramIdx + 1);
      if (mViewContainer->HandleParameterMouseDown(id.c_str(), modifiers) == 0)
      {
        ReleaseMouseCapture();
        ShowCursorIfHidden();
        return;
      }
    }

    if (mod.R && paramIdx > kNoParameter)
    {
      ReleaseMouseCapture();
      ShowCursorIfHidden();
      mPromptMenu.Clear();
      control->FillContextMenu(mPromptMenu);
      if (mPromptMenu.NItems() > 0) OpenPopupMenu(control, mPromptMenu, IRect(x, y, x, y), valIdx, true);
      return;
    }

    for (int v = 0; v < control->NVals(); ++v)
    {
      int bound = control->GetParamIdx(v);
      if (bound > kNoParameter) mDelegate->BeginParamGesture(bound);
    }
    control->OnMouseDown(x, y, mod);
  }
}

void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end()) continue;
    IControl* control = it->second;
    control->OnMouseUp(point.x, point.y, point.ms);
    EndGestures(control);
    mCapturedMap.erase(point.ms.touchID);
  }

  if (mResizingInProcess)
  {
    mResizingInProcess = false;
    if (mResizeMode == kResizeModeScale)
    {
      ForEachControl([](IControl* c) { c->OnScaleChanged(); });
      MarkAllDirty();
    }
  }

  if (points.size() == 1)
  {
    IControl* over = FindControlAt(points[0].x, points[0].y, false, true);
    SetMouseOverControl(over, points[0].x, points[0].y, points[0].ms);
  }
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points)
{
  WalkGuard guard(*this);
  if (mResizingInProcess && points.size() == 1)
  {
    ResizeByDrag(points[0].x, points[0].y);
    return;
  }
  if (mCapturedMap.empty()) return;
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end()) continue;
    IControl* control = it->second;
    if (mInTextEntry && control != mInTextEntry) continue;
    if (point.dX == 0.f && point.dY == 0.f) continue;
    control->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

bool IGraphics::OnMouseDoubleClick(float x, float y, const IMouseMods& mod)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, true, false, mod.touchID);
  if (!control) return false;
  if (control->GetMouseDblAsSingleClick())
  {
    IMouseInfo info;
    info.x = x;
    info.y = y;
    info.ms = mod;
    OnMouseDown({info});
  }
  else
  {
    control->OnMouseDoubleClick(x, y, mod);
    ReleaseMouseCapture();
    ShowCursorIfHidden();
  }
  return true;
}

void IGraphics::SetMouseOverControl(IControl* control, float x, float y, const IMouseMods& mod)
{
  IControl* previous = mMouseOver;
  mMouseOver = control;
  if (previous && previous != control) previous->OnMouseOut();
  if (control) control->OnMouseOver(x, y, mod);
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMods& mod)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false, true);
  SetMouseOverControl(control, x, y, mod);
  return control != nullptr;
}

void IGraphics::OnMouseOut()
{
  WalkGuard guard(*this);
  SetMouseCursor(kCursorArrow);
  ForEachControl([](IControl* c) { c->OnMouseOut(); });
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMods& mod, float delta)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(x, y, false)) control->OnMouseWheel(x, y, mod, delta);
}

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false);
  if (control && control != GetControl(0) && control->OnKeyDown(x, y, key)) return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
  WalkGuard guard(*this);
  IControl* control = FindControlAt(x, y, false);
  if (control && control != GetControl(0) && control->OnKeyUp(x, y, key)) return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, true) : false;
}

void IGraphics::OnFileDrop(const char* path, float x, float y)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(x, y, false)) control->OnFileDrop(path);
}

void IGraphics::OnGesture(const IGestureInfo& info)
{
  WalkGuard guard(*this);
  if (IControl* control = FindControlAt(info.x, info.y, false)) control->OnGesture(info);
}

} // namespace igraphics
} // namespace iplug
