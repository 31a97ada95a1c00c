// IGraphics: the control list (adding, removing while a walk is under way,
// tags and groups, the special controls) and the dirty regions and draw pass.
// User-interface thread.

#include "IGraphics.h"

#include "Controls/IBitmapControl.h"
#include "Controls/ICornerResizerControl.h"
#include "Controls/IPerformanceDisplayControl.h"
#include "Controls/IPopupMenuControl.h"
#include "Controls/ITextEntryControl.h"

#include <algorithm>

namespace iplug
{
namespace igraphics
{

// ===== Walks that survive removal =====

IGraphics::WalkGuard::WalkGuard(IGraphics& g) : mG(g)
{
  mG.AssertUIThread();
  ++mG.mWalkDepth;
}

IGraphics::WalkGuard::~WalkGuard()
{
  if (--mG.mWalkDepth == 0) mG.FlushRemoved();
}

void IGraphics::FlushRemoved()
{
  // Tombstones of the list go; their controls are deleted last first.
  mControls.erase(std::remove(mControls.begin(), mControls.end(), nullptr), mControls.end());
  mOverlays.erase(std::remove(mOverlays.begin(), mOverlays.end(), nullptr), mOverlays.end());
  while (!mRemoved.empty()) mRemoved.pop_back();
  mMouseOverIdx = mMouseOver ? GetControlIdx(mMouseOver) : -1;
}

// ===== Control management =====

void IGraphics::AttachSetup(IControl* control)
{
  control->SetDelegate(mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnBoundsChanged();
  control->OnScaleChanged();
}

IControl* IGraphics::AddControl(IControl* control, int tag, const char* group)
{
  AssertUIThread();
  if (!control) return nullptr;
  if (tag >= 0)
  {
    if (!mTagMap.emplace(tag, control).second) return nullptr;
  }
  AttachSetup(control);
  control->SetGroup(group);
  mControls.emplace_back(control);
  control->OnAttached();
  return control;
}

void IGraphics::SetBackground(const char* fileName)
{
  AssertUIThread();
  IBitmapRef bitmap = LoadBitmapResource(fileName, 1, false, 0);
  auto* control = new IBitmapControl(
      IRect(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), bitmap, kNoParameter);
  AttachSetup(control);
  mControls.emplace(mControls.begin(), control);
  if (mMouseOverIdx >= 0) ++mMouseOverIdx;
}

void IGraphics::AddCornerResizer(EResizeMode mode, bool layoutOnResize, const IColour& colour,
                                 const IColour& mouseOverColour, const IColour& dragColour, float size)
{
  AssertUIThread();
  auto resizer =
      std::make_unique<ICornerResizerControl>(GetBounds(), size, colour, mouseOverColour, dragColour);
  if (mCornerResizer) return; // the first one stays; the new one goes
  mCornerResizer = std::move(resizer);
  mResizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  AttachSetup(mCornerResizer.get());
}

IControl* IGraphics::AddOverlayControl(IControl* control)
{
  AssertUIThread();
  if (!control) return nullptr;
  AttachSetup(control);
  mOverlays.emplace_back(control);
  control->OnAttached();
  return control;
}

void IGraphics::AttachPopupMenuControl(IPopupMenuControl* control)
{
  AssertUIThread();
  if (mWalkDepth > 0 && mPopupControl) mRemoved.push_back(std::move(mPopupControl));
  mPopupControl.reset(control);
  if (control) AttachSetup(control);
}

void IGraphics::AttachTextEntryControl(ITextEntryControl* control)
{
  AssertUIThread();
  if (mWalkDepth > 0 && mTextEntryControl) mRemoved.push_back(std::move(mTextEntryControl));
  mTextEntryControl.reset(control);
  if (control) AttachSetup(control);
}

void IGraphics::ForgetControl(IControl* control)
{
  for (auto it = mTagMap.begin(); it != mTagMap.end();)
    it = it->second == control ? mTagMap.erase(it) : std::next(it);
  for (auto it = mCapturedMap.begin(); it != mCapturedMap.end();)
    it = it->second == control ? mCapturedMap.erase(it) : std::next(it);
  if (mMouseOver == control)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  if (mInTextEntry == control) mInTextEntry = nullptr;
  if (mInPopupMenu == control) mInPopupMenu = nullptr;
}

void IGraphics::RemoveControl(IControl* control)
{
  AssertUIThread();
  if (!control) return;
  auto remove = [&](std::vector<std::unique_ptr<IControl>>& list)
  {
    for (size_t i = 0; i < list.size(); ++i)
    {
      if (list[i].get() != control) continue;
      ForgetControl(control);
      if (mWalkDepth > 0)
        mRemoved.push_back(std::move(list[i])); // leaves a tombstone the walks skip
      else
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
    return false;
  };
  if (!remove(mControls)) remove(mOverlays);
  if (mWalkDepth == 0) FlushRemoved();
}

void IGraphics::RemoveControlWithTag(int tag)
{
  RemoveControl(ControlWithTag(tag));
}

void IGraphics::RemoveAllControls()
{
  AssertUIThread();
  mCapturedMap.clear();
  mTagMap.clear();
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  mResizingInProcess = false;
  std::vector<std::unique_ptr<IControl>> gone;
  if (mPerfDisplay) gone.push_back(std::move(mPerfDisplay));
  if (mCornerResizer) gone.push_back(std::move(mCornerResizer));
  if (mTextEntryControl) gone.push_back(std::move(mTextEntryControl));
  if (mPopupControl) gone.push_back(std::move(mPopupControl));
  for (auto& c : mControls) gone.push_back(std::move(c));
  for (auto& c : mOverlays) gone.push_back(std::move(c));
  mControls.clear();
  mOverlays.clear();
  if (mWalkDepth > 0)
  {
    // A handler is still running on one of them: delete after it returns.
    for (auto& c : gone)
      if (c) mRemoved.push_back(std::move(c));
    return;
  }
  // Last first.
  while (!gone.empty()) gone.pop_back();
}

IControl* IGraphics::GetControl(int idx) const
{
  return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)].get() : nullptr;
}

int IGraphics::GetControlIdx(const IControl* control) const
{
  for (int i = 0; i < NControls(); ++i)
    if (control && mControls[static_cast<size_t>(i)].get() == control) return i;
  return -1;
}

IControl* IGraphics::ControlWithTag(int tag) const
{
  auto it = mTagMap.find(tag);
  return it == mTagMap.end() ? nullptr : it->second;
}

void IGraphics::ForEachListedControl(const IControlFunction& func)
{
  WalkGuard guard(*this);
  // By index and re-reading the size: controls added meanwhile are visited,
  // removed ones leave tombstones until the walk ends.
  for (size_t i = 0; i < mControls.size(); ++i)
    if (IControl* c = mControls[i].get()) func(c);
}

void IGraphics::ForEachControl(const IControlFunction& func)
{
  WalkGuard guard(*this);
  ForEachListedControl(func);
  if (mPerfDisplay) func(mPerfDisplay.get());
  if (mCornerResizer) func(mCornerResizer.get());
  if (mTextEntryControl) func(mTextEntryControl.get());
  if (mPopupControl) func(mPopupControl.get());
  for (size_t i = 0; i < mOverlays.size(); ++i)
    if (IControl* c = mOverlays[i].get()) func(c);
}

void IGraphics::ForControlsWithParam(int paramIdx, const IControlFunction& func)
{
  ForEachListedControl(
      [&](IControl* c)
      {
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx)
          {
            func(c);
            return;
          }
      });
}

void IGraphics::ForEachControlInGroup(const char* group, const IControlFunction& func)
{
  std::string name = group ? group : "";
  ForEachListedControl(
      [&](IControl* c)
      {
        if (c->GetGroup() == name) func(c);
      });
}

void IGraphics::SyncBoundControls(IControl* caller, int valIdx)
{
  if (!caller) return;
  int paramIdx = caller->GetParamIdx(valIdx);
  if (paramIdx <= kNoParameter) return;
  double value = caller->GetValue(valIdx);
  ForEachListedControl(
      [&](IControl* c)
      {
        if (c == caller) return;
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx) c->SetValueFromPlugin(value, v);
      });
}

void IGraphics::MarkAllDirty()
{
  ForEachControl([](IControl* c) { c->MarkDirty(false); });
}

void IGraphics::ClearAllDirty()
{
  ForEachControl([](IControl* c) { c->ClearDirty(); });
}

void IGraphics::RescaleAllControls()
{
  ForEachControl(
      [](IControl* c)
      {
        c->OnScaleChanged();
        c->MarkDirty(false);
      });
}

void IGraphics::ShowPerformanceDisplay(bool show)
{
  AssertUIThread();
  if (show && !mPerfDisplay)
  {
    mPerfDisplay = std::make_unique<IPerformanceDisplayControl>(IRect(10.f, 10.f, 210.f, 60.f), "Frame Time");
    AttachSetup(mPerfDisplay.get());
  }
  else if (!show && mPerfDisplay)
  {
    ForgetControl(mPerfDisplay.get());
    if (mWalkDepth > 0)
      mRemoved.push_back(std::move(mPerfDisplay));
    else
      mPerfDisplay.reset();
  }
}

// ===== Dirty regions and drawing =====

bool IGraphics::CollectDirtyRegions(IRectList& rects)
{
  WalkGuard guard(*this);
  if (mDisplayTickFunc) mDisplayTickFunc();
  ForEachControl([](IControl* c) { c->RunAnimation(); });
  bool any = false;
  ForEachControl(
      [&](IControl* c)
      {
        if (c->IsDirty())
        {
          rects.Add(c->GetRect().GetPadded(0.75f));
          any = true;
        }
      });
  return any;
}

void IGraphics::DrawRegions(const IRectList& rects)
{
  WalkGuard guard(*this);
  if (rects.Empty()) return;
  float scale = GetTotalScale();
  BeginFrame();
  // Kept between frames, and the walk's callable small enough to be stored
  // without the heap: a frame after the first allocates nothing.
  IRectList& regions = mDrawRegions;
  regions = rects;
  regions.PixelAlign(scale);
  struct Walk
  {
    IGraphics* g;
    const IRect* region;
    IControl* background;
    float scale;
  } walk{this, nullptr, GetControl(0), scale};
  const Walk* w = &walk;
  auto drawRegion = [&](const IRect& region)
  {
    walk.region = &region;
    ForEachControl([w](IControl* c) { w->g->DrawOneControl(c, *w->region, w->scale, c == w->background); });
  };
  if (mMergeAllRegions)
    drawRegion(regions.Bounds());
  else
  {
    regions.Optimize();
    for (int i = 0; i < regions.Size(); ++i) drawRegion(regions.Get(i));
  }
  EndFrame();
}

void IGraphics::DrawOneControl(IControl* control, const IRect& region, float scale, bool isBackground)
{
  if (control->IsHidden() && !isBackground) return;
  if (region.Empty()) return;
  IRect clip = control->GetRect().GetPadded(0.75f).GetPixelAligned(scale).Intersect(region);
  if (clip.W() <= 0.f || clip.H() <= 0.f) return;
  PathClear();
  PathClipRegion(clip);
  control->Draw(*this);
  control->DrawAutomationHighlight(*this);
  PathClipEnd();
}

} // namespace igraphics
} // namespace iplug
