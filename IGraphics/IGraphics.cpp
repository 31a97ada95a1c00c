// IGraphics: construction, the user-interface thread, automation highlights,
// value prompts and menus, and size and scale. The control list, events,
// drawing helpers and loading have files of their own (IGraphicsControls.cpp,
// IGraphicsEvents.cpp, IGraphicsDrawing.cpp, IGraphicsLoading.cpp).
#include "IGraphics.h"

#include "IGraphicsBridge.h"

#include "Controls/IBitmapControl.h"
#include "Controls/ICornerResizerControl.h"
#include "Controls/IPerformanceDisplayControl.h"
#include "Controls/IPopupMenuControl.h"
#include "Controls/ITextEntryControl.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace iplug
{
namespace igraphics
{

// ===== Construction =====

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
    : mDelegate(&dlg), mWidth(w), mHeight(h), mFPS(fps), mDrawScale(scale), mMinScale(scale * 0.5f),
      mMaxScale(scale * 2.f), mUIThread(std::this_thread::get_id())
{
  // In case a static initialiser ran before this library's registration.
  if (!GetGraphicsBridge()) SetGraphicsBridge(&IGraphicsContextBridge::Get());
  RegisterFontCacheUser();
}

IGraphics::~IGraphics()
{
  RemoveAllControls();
  ClearBitmapCache();
  ReleaseFontCacheUser();
}

void IGraphics::AssertUIThread() const
{
  assert(OnUIThread() && "graphics context used off its user-interface thread");
}

// ===== Automation highlight =====

void IGraphics::SetAutomationHighlight(int paramIdx, bool isHighlighted, int colourCode)
{
  ForControlsWithParam(paramIdx,
                       [=](IControl* c)
                       {
                         c->SetHighlight(isHighlighted, colourCode);
                         c->MarkDirty(false);
                       });
}

// ===== Prompts =====

void IGraphics::OpenValuePrompt(IControl* control, const IRect& bounds, int valIdx)
{
  AssertUIThread();
  if (!control) return;
  const IParam* param = control->GetParam(valIdx);
  if (!param) return;

  bool menuKind = param->Type() == kTypeEnum || param->Type() == kTypeBool;
  if (menuKind && param->DisplayTextCount() > 0)
  {
    std::string current;
    param->FormatValue(param->Value(), false, current, true);
    mPromptMenu.Clear();
    for (int i = 0; i < param->DisplayTextCount(); ++i)
    {
      const char* text = param->DisplayTextAt(i);
      mPromptMenu.AddItem(text, current == text ? IMenu::kChecked : IMenu::kNoFlags);
    }
    OpenPopupMenu(control, mPromptMenu, bounds, valIdx, false);
    return;
  }

  std::string text;
  param->FormatValue(param->Value(), false, text, false);
  if (control->GetPromptShowsParamLabel())
  {
    text += " ";
    text += param->GetLabel();
  }
  mInTextEntry = control;
  mTextEntryValIdx = valIdx;
  CreatePlatformTextEntry(valIdx, control->GetTextStyle(), bounds, control->GetTextEntryLength(),
                          text.c_str());
}

void IGraphics::OpenPopupMenu(IControl* control, IMenu& menu, const IRect& bounds, int valIdx, bool isContext)
{
  AssertUIThread();
  ReleaseMouseCapture();
  ShowCursorIfHidden();
  mInPopupMenu = control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  if (mPopupControl)
  {
    mPopupControl->ShowMenu(menu, bounds);
    return;
  }
  bool isAsync = false;
  IMenu* result = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync) FinishMenu(mInPopupMenu, result, valIdx, isContext);
}

void IGraphics::ApplyMenuResult(IMenu* result)
{
  AssertUIThread();
  FinishMenu(mInPopupMenu, result, mPopupMenuValIdx, mIsContextMenu);
}

void IGraphics::FinishMenu(IControl* control, IMenu* result, int valIdx, bool isContext)
{
  WalkGuard guard(*this);
  mInPopupMenu = nullptr;
  if (!control) return;
  if (isContext)
  {
    // A context menu began no gesture, so it ends none.
    control->OnContextMenuChoice(result ? result->GetChosenItemIdx() : -1);
    return;
  }
  control->OnMenuChoice(result, valIdx);
  EndGestures(control);
}

void IGraphics::ApplyTextEntryResult(const char* text)
{
  WalkGuard guard(*this);
  IControl* control = mInTextEntry;
  mInTextEntry = nullptr;
  if (!control) return;
  int valIdx = mTextEntryValIdx;
  if (const IParam* param = control->GetParam(valIdx))
    control->SetValueFromUser(param->NormalFromValue(param->ParseValue(text ? text : "")), valIdx);
  else
    control->OnTextEntryDone(text ? text : "", valIdx);
}

// ===== Size and scale =====

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  WalkGuard guard(*this);
  w = std::clamp(w, mDelegate->GetMinWidth(), mDelegate->GetMaxWidth());
  h = std::clamp(h, mDelegate->GetMinHeight(), mDelegate->GetMaxHeight());
  if (!(scale == scale)) scale = mDrawScale; // NaN keeps the scale
  scale = std::clamp(scale, std::min(mMinScale, mMaxScale), std::max(mMinScale, mMaxScale));
  if (w == mWidth && h == mHeight && scale == mDrawScale) return;

  ReleaseMouseCapture();
  ShowCursorIfHidden();

  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer) mCornerResizer->OnScaleChanged();

  int hostW = static_cast<int>(static_cast<float>(WindowWidth()) * mScreenScale);
  int hostH = static_cast<int>(static_cast<float>(WindowHeight()) * mScreenScale);
  bool parentResized = mDelegate->ResizeFromEditor(hostW, hostH, needsPlatformResize);
  PlatformResize(parentResized);
  ForEachControl(
      [](IControl* c)
      {
        c->OnBoundsChanged();
        c->MarkDirty(false);
      });
  DrawResize();
  if (mLayoutOnResize) mDelegate->RunLayout(this);
}

void IGraphics::ResizeByDrag(float x, float y)
{
  if (mResizeMode == kResizeModeSize)
  {
    Resize(static_cast<int>(x), static_cast<int>(y), mDrawScale, true);
    return;
  }
  // Scale mode: the drag point against the mouse-down point; nothing
  // sensible without a positive start.
  if (!(mMouseDownX > 0.f) || !(mMouseDownY > 0.f)) return;
  float scale = std::min(mDrawScale * y / mMouseDownY, mDrawScale * x / mMouseDownX);
  Resize(mWidth, mHeight, scale, true);
}

void IGraphics::SetScreenScale(float scale)
{
  WalkGuard guard(*this);
  if (!(scale > 0.f)) return;
  mScreenScale = scale;
  int hostW = static_cast<int>(scale * static_cast<float>(WindowWidth()));
  int hostH = static_cast<int>(scale * static_cast<float>(WindowHeight()));
  bool parentResized = mDelegate->ResizeFromEditor(hostW, hostH, true);
  PlatformResize(parentResized);
  RescaleAllControls();
  DrawResize();
}

} // namespace igraphics
} // namespace iplug
