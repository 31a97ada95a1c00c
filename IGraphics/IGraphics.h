// The editor's drawing context and event hub. It owns the controls of one
// editor window in z-order (index 0 at the bottom, drawn first), decides
// which need redrawing, draws them through the abstract drawing interface
// below, routes mouse, wheel, key, drop and gesture events to the right
// control, runs the value prompts (popup menus and text entry) and handles
// resizing and scaling.
//
// A drawing backend derives from this class and implements the operations
// marked "backend"; a platform layer derives from the backend and implements
// those marked "platform". Everything else is done here in terms of them.
//
// Threads: every operation runs on the user-interface thread that created
// the context. Debug builds assert it where a call from another thread would
// corrupt the control list or the input state.
#pragma once

#include "IControl.h"
#include "IGraphicsEditorDelegate.h"
#include "IGraphicsHostView.h"
#include "IGraphicsPopupMenu.h"
#include "IGraphicsStructs.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace iplug
{
namespace igraphics
{

class ICornerResizerControl;
class IPopupMenuControl;
class ITextEntryControl;

using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
using IDisplayTickFunc = std::function<void()>;
using IControlFunction = std::function<void(IControl*)>;

class IGraphics : public IPlugAAXView_Interface
{
public:
  IGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ===== Drawing interface, in slot order =====

  // 0: see IPlugAAXView_Interface.
  void SetAutomationHighlight(int paramIdx, bool isHighlighted, int colourCode) override;

  // 1-4 backend: frame and view.
  virtual void BeginFrame() = 0;
  virtual void OnViewInitialized(void* pContext) = 0;
  virtual void OnViewDestroyed() = 0;
  virtual void EndFrame() = 0;

  // 5-9: pictures. The SVG forms draw nothing until a backend renders SVG.
  virtual void DrawSVG(const ISVG& svg, const IRect& bounds, const IBlendMode* blend = nullptr);
  virtual void DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width,
                              float height, double angle, const IBlendMode* blend = nullptr);
  // backend: draws bitmap into bounds, bitmap pixels taken from (srcX, srcY)
  // in logical units.
  virtual void DrawBitmap(const IBitmapRef& bitmap, const IRect& bounds, int srcX, int srcY,
                          const IBlendMode* blend = nullptr) = 0;
  virtual void DrawFittedBitmap(const IBitmapRef& bitmap, const IRect& bounds,
                                const IBlendMode* blend = nullptr);
  virtual void DrawRotatedBitmap(const IBitmapRef& bitmap, float destCentreX, float destCentreY, double angle,
                                 const IBlendMode* blend = nullptr);

  // 10-22: stroked primitives, built from the path operations.
  virtual void DrawPoint(const IColour& colour, float x, float y, const IBlendMode* blend = nullptr);
  virtual void DrawLine(const IColour& colour, float x1, float y1, float x2, float y2,
                        const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedLine(const IColour& colour, float x1, float y1, float x2, float y2,
                              const IBlendMode* blend = nullptr, float thickness = 1.f, float dashLen = 2.f);
  virtual void DrawTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend = nullptr,
                        float thickness = 1.f);
  virtual void DrawRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                             float cRBL, const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius = 5.f,
                             const IBlendMode* blend = nullptr, float thickness = 1.f);
  // Angles in degrees from 12 o'clock, clockwise.
  virtual void DrawArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                       const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColour& colour, float cx, float cy, float r,
                          const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle = 0.f,
                           const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend = nullptr,
                           float thickness = 1.f);
  virtual void DrawConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                 const IBlendMode* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend = nullptr,
                              float thickness = 1.f, float dashLen = 2.f);

  // 23-31: filled primitives.
  virtual void FillTriangle(const IColour& colour, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlendMode* blend = nullptr);
  virtual void FillRect(const IColour& colour, const IRect& bounds, const IBlendMode* blend = nullptr);
  virtual void FillRoundRect(const IColour& colour, const IRect& bounds, float cRTL, float cRTR, float cRBR,
                             float cRBL, const IBlendMode* blend = nullptr);
  virtual void FillRoundRect(const IColour& colour, const IRect& bounds, float cornerRadius = 5.f,
                             const IBlendMode* blend = nullptr);
  virtual void FillCircle(const IColour& colour, float cx, float cy, float r,
                          const IBlendMode* blend = nullptr);
  virtual void FillEllipse(const IColour& colour, float x, float y, float r1, float r2, float angle = 0.f,
                           const IBlendMode* blend = nullptr);
  virtual void FillEllipse(const IColour& colour, const IRect& bounds, const IBlendMode* blend = nullptr);
  virtual void FillArc(const IColour& colour, float cx, float cy, float r, float a1, float a2,
                       const IBlendMode* blend = nullptr);
  virtual void FillConvexPolygon(const IColour& colour, const float* x, const float* y, int nPoints,
                                 const IBlendMode* blend = nullptr);

  // 32: width of the text; bounds receives the text's box. Empty strings
  // measure nothing (0, bounds untouched).
  virtual float MeasureText(const ITextStyle& style, const char* str, IRect& bounds) const;
  // style, drawn smaller when str would be wider than width at its size (a
  // text that would otherwise be cut or run into its neighbour).
  ITextStyle StyleFittingWidth(const ITextStyle& style, const char* str, float width) const;

  // 33-39 backend queries.
  virtual IColour GetPoint(int x, int y) = 0;
  virtual void* GetDrawContext() = 0;
  virtual const char* GetDrawingAPIStr() = 0;
  virtual APIBitmap* ScaleAPIBitmap(const APIBitmap* bitmap, int scale) = 0;
  virtual void RetainBitmap(const IBitmapRef& bitmap, const char* cacheName) = 0;
  virtual void ReleaseBitmap(const IBitmapRef& bitmap) = 0;
  virtual bool BitmapExtSupported(const char* ext) = 0;

  // 40-42: composite drawings.
  virtual void DrawFastDropShadow(const IRect& innerBounds, const IRect& outerBounds, float xyDrop = 5.f,
                                  float roundness = 0.f, float blur = 10.f,
                                  const IBlendMode* blend = nullptr);
  virtual void DrawGrid(const IColour& colour, const IRect& bounds, float gridSizeH, float gridSizeV,
                        const IBlendMode* blend = nullptr, float thickness = 1.f);
  // A polyline through normalised points (y up) inside bounds.
  virtual void DrawData(const IColour& colour, const IRect& bounds, const float* normYPoints, int nPoints,
                        const float* normXPoints = nullptr, const IBlendMode* blend = nullptr,
                        float thickness = 1.f);

  // 43-44: fonts; the platform loads, the backend registers.
  virtual bool LoadFontResource(const char* fontID, const char* fontName, EFontStyle style);
  virtual bool LoadFontResource(const char* fontID, const char* fileNameOrResID);

  // 45-47 backend: layers.
  virtual void GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data) = 0;
  virtual void ApplyShadowMask(ILayerPtr& layer, RawBitmapData& mask, const IShadow& shadow) = 0;
  virtual void UpdateLayer() = 0;

  // 48-60 backend: paths. Angles in degrees from 12 o'clock, clockwise.
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise = true) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  virtual void PathSetWinding(bool clockwise) = 0;
  virtual void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
  virtual void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) = 0;
  virtual void PathStroke(const IPattern& pattern, float thickness,
                          const IStrokeOptions& options = IStrokeOptions(),
                          const IBlendMode* blend = nullptr) = 0;
  virtual void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                        const IBlendMode* blend = nullptr) = 0;
  virtual void PathTransformSetMatrix(const IMatrix& m) = 0;
  // Ends the clipped region of one control; nothing to do by default.
  virtual void PathClipEnd() {}
  virtual void SetClipRegion(const IRect& r) = 0;

  // 61-62: hooks with nothing to do by default.
  virtual void ForceEndUserEdit() {}
  virtual void UpdateTooltips() {}

  // 63-67 platform: mouse.
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  // Must keep mCursorHidden and mCursorLocked up to date: the context shows
  // a hidden cursor again when it drops captures.
  virtual void HideMouseCursor(bool hide = true, bool lock = true) = 0;
  virtual void MoveMouseCursor(float x, float y) = 0;
  // Returns the previous shape.
  virtual ECursor SetMouseCursor(ECursor cursor = kCursorArrow) = 0;
  virtual void EndPlatformTextEntry() = 0;

  // 68-71 platform: window.
  // Opens the window inside parent; must lay the editor out (delegate's
  // RunLayout), mark everything dirty and call the delegate's EditorOpened.
  virtual void* OpenWindow(void* parent) = 0;
  // Must remove every control (RemoveAllControls).
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool WindowIsOpen() = 0;

  // 72-73 platform: clipboard (UTF-8).
  virtual bool GetTextFromClipboard(std::string& str) = 0;
  virtual bool SetTextInClipboard(const char* str) = 0;

  // 74: hook with nothing to do by default.
  virtual void SetTranslucent(bool translucent) { (void)translucent; }

  // 75-81 platform: dialogs and shell.
  virtual int ShowMessageBox(const char* str, const char* caption, int type) = 0;
  virtual void PromptForFile(std::string& fileName, std::string& path, bool save, const char* ext) = 0;
  virtual bool PromptForDirectory(std::string& dir) = 0;
  virtual bool PromptForColour(IColour& colour, const char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual const char* GetPlatformAPIStr() = 0;
  virtual bool RevealPathInExplorerOrFinder(const char* path, bool select = false) = 0;

  // 82-83: the module instance handle whose embedded resources are searched
  // (the platform layer sets it when the context is created).
  virtual void SetWinModuleHandle(void* instance) { mModuleHandle = instance; }
  virtual void* GetWinModuleHandle() { return mModuleHandle; }

  // 84: constant answer by default.
  virtual void* GetPlatformContext() { return nullptr; }

  // 85-88 platform: fonts.
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fontName, EFontStyle style) = 0;
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fileNameOrResID) = 0;
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, const void* data, int dataSize) = 0;
  virtual void CachePlatformFont(const char* fontID, const PlatformFontPtr& font) = 0;

  // 89: empty where bundles do not exist.
  virtual const char* GetBundleID() { return ""; }

  // 90-91: make the drawing context current around backend work.
  virtual void ActivateGLContext() {}
  virtual void DeactivateGLContext() {}

  // 92-93 platform: native value entry and popup menu.
  virtual void CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds, int length,
                                       const char* str) = 0;
  // Shows menu. Returns the chosen (sub)menu or nothing; sets isAsync when the
  // answer comes later through ApplyMenuResult.
  virtual IMenu* CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync) = 0;

  // 94
  virtual ~IGraphics();

  // 95-96
  virtual bool PlatformSupportsMultiTouch() const { return false; }
  virtual float GetScreenScale() const { return mScreenScale; }

  // 97: constant answer by default.
  virtual float GetPlatformWindowScale() const { return 1.f; }

  // 98 platform: fit the window to the size; parentHasResized tells whether
  // the host already resized its view.
  virtual void PlatformResize(bool parentHasResized) = 0;
  // 99 backend: recreate the drawing surface for the current size and scale.
  virtual void DrawResize() = 0;

  // 100: hook with nothing to do by default.
  virtual void OnResizeDone() {}

  // 101-102: pictures. The film strip named fileNameOrResID (a file name
  // such as "Knob.png", or a path) in the version made for targetScale (0:
  // ceil of the screen scale), or the nearest version found (scales 1 to 3,
  // "Knob@2x.png" for 2), loaded once per context and scale into the picture
  // cache. The empty handle when nothing is found, the type is neither PNG
  // nor JPG, or the backend cannot decode it.
  virtual IBitmapRef LoadBitmapResource(const char* name, const void* data, int dataSize, int nStates = 1,
                                        bool framesAreHorizontal = false, int targetScale = 0);
  virtual IBitmapRef LoadBitmapResource(const char* fileNameOrResID, int nStates = 1,
                                        bool framesAreHorizontal = false, int targetScale = 0);

  // 103-105: SVG pictures, parsed once per process and name; resource
  // lookup: an embedded resource of the module (kWinBinary, result = its
  // stored name) first, then an existing file (kAbsolutePath, result = the
  // path), else kNotFound.
  virtual ISVG LoadSVG(const char* name, const void* data, int dataSize, const char* units = "px",
                       float dpi = 72.f);
  virtual ISVG LoadSVG(const char* fileNameOrResID, const char* units = "px", float dpi = 72.f);
  virtual EResourceLocation LocateResource(const char* fileNameOrResID, const char* type,
                                           std::string& result);

  // 106: remembers a font-size class (no duplicates).
  virtual void AddFontSizeClass(int sizeClass);

  // 107-110 backend: pictures and fonts.
  virtual APIBitmap* LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale) = 0;
  virtual APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                                   const char* ext) = 0;
  virtual APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale,
                                     bool cacheable = false) = 0;
  virtual bool LoadAPIFont(const char* fontID, const PlatformFontPtr& font) = 0;

  // 111-113: constants.
  virtual bool FlipsY() const { return true; }
  virtual int BackendCapability() const { return 3; }
  virtual bool LayersSupported() const { return true; }

  // 114-115 backend: text.
  virtual float DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const = 0;
  virtual void DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                          const IBlendMode* blend = nullptr) = 0;

  // 116
  virtual float GetTotalScale() const { return mDrawScale * mScreenScale; }

  // ===== Drawing helpers (not virtual) =====

  void DrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                const IBlendMode* blend = nullptr);
  // Draws frame (1-based, clamped to 1..N) of a film strip centred in bounds.
  void DrawBitmapFrame(const IBitmapRef& bitmap, const IRect& bounds, int frame,
                       const IBlendMode* blend = nullptr);
  // The transform stack, applied through PathTransformSetMatrix.
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset();
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float x, float y);
  void PathTransformRotate(float angle);
  // Rectangle, circle, ellipse and round-rectangle paths.
  void PathRect(const IRect& r);
  void PathRoundRect(const IRect& r, float ctl, float ctr, float cbr, float cbl);
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);
  void PathConvexPolygon(const float* x, const float* y, int nPoints);
  // Clips drawing to r and remembers it as the last clip.
  void PathClipRegion(const IRect& r);
  const IRect& GetLastClip() const { return mClipRect; }

  // ===== Control management =====

  // Attaches control and takes ownership. With tag >= 0 the tag must be
  // unused: otherwise nothing is attached, nothing returned, and the control
  // stays the caller's.
  IControl* AddControl(IControl* control, int tag = -1, const char* group = "");
  // A one-frame picture control at (0, 0) below every other control.
  void SetBackground(const char* fileName);
  void AddCornerResizer(EResizeMode mode = kResizeModeScale, bool layoutOnResize = false,
                        const IColour& colour = kColourBlack, const IColour& mouseOverColour = kColourBlack,
                        const IColour& dragColour = kColourBlack, float size = 20.f);
  // Controls drawn after everything else; owned by the context.
  IControl* AddOverlayControl(IControl* control);
  // Special controls that take every click while shown; owned by the context.
  void AttachPopupMenuControl(IPopupMenuControl* control);
  void AttachTextEntryControl(ITextEntryControl* control);
  // Removes and deletes the control (deferred until no event or walk is
  // running, so a control may remove itself or others from inside a handler).
  void RemoveControl(IControl* control);
  void RemoveControlWithTag(int tag);
  // Every control of the list, the special controls and the overlays.
  void RemoveAllControls();

  int NControls() const { return static_cast<int>(mControls.size()); }
  // The list control at idx (may be nothing while it is being removed).
  IControl* GetControl(int idx) const;
  int GetControlIdx(const IControl* control) const;
  IControl* ControlWithTag(int tag) const;
  IControl* GetBackgroundControl() const { return NControls() ? GetControl(0) : nullptr; }
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  IControl* GetPerformanceDisplay() const { return mPerfDisplay.get(); }

  // The list in order, then the performance display, corner resizer, text
  // entry and popup-menu controls (those present), then the overlays.
  void ForEachControl(const IControlFunction& func);
  void ForEachListedControl(const IControlFunction& func);
  // Each list control with a value bound to paramIdx.
  void ForControlsWithParam(int paramIdx, const IControlFunction& func);
  void ForEachControlInGroup(const char* group, const IControlFunction& func);
  // Every other list control bound to the parameter of caller's value gets
  // that value through SetValueFromPlugin.
  void SyncBoundControls(IControl* caller, int valIdx);
  void MarkAllDirty();
  void ClearAllDirty();
  // The performance display, a debugging aid (off by default).
  void ShowPerformanceDisplay(bool show);
  bool ShowingPerformanceDisplay() const { return mPerfDisplay != nullptr; }

  // ===== Events (logical coordinates) =====

  void OnMouseDown(const std::vector<IMouseInfo>& points);
  void OnMouseUp(const std::vector<IMouseInfo>& points);
  void OnMouseDrag(const std::vector<IMouseInfo>& points);
  bool OnMouseDoubleClick(float x, float y, const IMouseMods& mod);
  bool OnMouseOver(float x, float y, const IMouseMods& mod);
  void OnMouseOut();
  void OnMouseWheel(float x, float y, const IMouseMods& mod, float delta);
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void OnFileDrop(const char* path, float x, float y);
  void OnGesture(const IGestureInfo& info);
  void ResizeByDrag(float x, float y);
  // The control under a point; see the hit search rules in the source.
  IControl* FindControlAt(float x, float y, bool capture, bool mouseOver = false, uint64_t touchID = 0);

  // Input state.
  bool ControlIsCaptured() const { return !mCapturedMap.empty(); }
  bool ControlIsCaptured(const IControl* control) const;
  void ReleaseMouseCapture();
  IControl* GetMouseOver() const { return mMouseOver; }
  int GetMouseOverIdx() const { return mMouseOverIdx; }
  void GetMouseDownPoint(float& x, float& y) const
  {
    x = mMouseDownX;
    y = mMouseDownY;
  }
  // Cursor state as the platform reports it through HideMouseCursor.
  bool IsCursorHidden() const { return mCursorHidden; }
  bool IsResizing() const { return mResizingInProcess; }
  void StartResizing() { mResizingInProcess = true; }

  // ===== Drawing entry points =====

  // Runs the display tick and the animations, then adds the grown bounds of
  // every dirty control. True when something was added.
  bool CollectDirtyRegions(IRectList& rects);
  void DrawRegions(const IRectList& rects);

  // ===== Prompts =====

  void OpenValuePrompt(IControl* control, const IRect& bounds, int valIdx);
  void OpenPopupMenu(IControl* control, IMenu& menu, const IRect& bounds, int valIdx, bool isContext);
  void ApplyMenuResult(IMenu* result);
  void ApplyTextEntryResult(const char* text);
  // The platform's text entry closed without a value: nothing is applied.
  void CancelTextEntry() { mInTextEntry = nullptr; }
  IControl* GetControlInTextEntry() const { return mInTextEntry; }
  IControl* GetControlInPopupMenu() const { return mInPopupMenu; }
  IMenu& GetPromptMenu() { return mPromptMenu; }

  // ===== Size and scale =====

  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  // Stores a new screen scale, asks the host for the matching view size,
  // fits the window, rescales every control and resizes the surface.
  void SetScreenScale(float scale);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int WindowWidth() const { return static_cast<int>(static_cast<float>(mWidth) * mDrawScale); }
  int WindowHeight() const { return static_cast<int>(static_cast<float>(mHeight) * mDrawScale); }
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  void SetMinScale(float s) { mMinScale = s; }
  void SetMaxScale(float s) { mMaxScale = s; }
  EResizeMode GetResizeMode() const { return mResizeMode; }
  bool GetLayoutOnResize() const { return mLayoutOnResize; }
  IRect GetBounds() const { return IRect(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)); }

  // ===== Settings and callables =====

  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  bool HoverEnabled() const { return mHoverEnabled; }
  void SetHoverEnabled(bool enable) { mHoverEnabled = enable; }
  bool TooltipsEnabled() const { return mTooltipsEnabled; }
  void EnableTooltips(bool enable)
  {
    mTooltipsEnabled = enable;
    if (enable) mHoverEnabled = true; // tooltips need hover
  }
  bool MultiTouchEnabled() const { return mMultiTouchEnabled; }
  void EnableMultiTouch(bool enable) { mMultiTouchEnabled = enable; }
  bool GetMergeAllRegions() const { return mMergeAllRegions; }
  void SetMergeAllRegions(bool merge) { mMergeAllRegions = merge; }
  void SetKeyHandlerFunc(IKeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  void SetDisplayTickFunc(IDisplayTickFunc func) { mDisplayTickFunc = std::move(func); }
  const std::vector<int>& GetFontSizeClasses() const { return mFontSizeClasses; }

  // True on the thread that made the context; debug builds assert it where a
  // call from elsewhere would corrupt the control list or the input state.
  bool OnUIThread() const { return std::this_thread::get_id() == mUIThread; }
  void AssertUIThread() const;

  // Bytes of a located resource: an embedded one in place (data points into
  // the module), a file read into storage. False when nothing could be read.
  bool LoadResourceBytes(const char* located, EResourceLocation location, const char* type,
                         std::vector<uint8_t>& storage, const void*& data, size_t& size);
  // The same for a name not yet located (LocateResource with type, then the
  // bytes).
  bool LoadResourceBytes(const char* fileNameOrResID, const char* type, std::vector<uint8_t>& storage,
                         const void*& data, size_t& size);
  // A font's bytes by name, as the platform layers load them: an embedded
  // "TTF" resource in place (storage empty; the module outlives its fonts),
  // else a file read into storage. False when none is found, or its size is
  // below kMinEmbeddedResourceSize or beyond an int.
  struct FontFileBytes
  {
    std::vector<uint8_t> storage;
    const void* data = nullptr;
    int size = 0;
  };
  bool LoadFontFileBytes(const char* fileNameOrResID, FontFileBytes& font);
  // The order in which picture scales are searched for a target scale:
  // 1, 3, 2 for 1; 2, 3, 1 for 2; 3, 2, 1 for 3.
  static std::vector<int> ScaleSearchOrder(int targetScale);
  // "%s@%dx%s" of the name's base, scale and extension (with its dot); the
  // plain name for scale 1 or below.
  static std::string ScaledResourceName(const char* fileName, int scale);
  // Number of pictures in this context's cache.
  int NCachedBitmaps() const;
  // A font loaded by id in any context of this process (the process-wide
  // font cache), or nothing.
  static bool FontIsCached(const char* fontID);

protected:
  // Every control gets OnScaleChanged, then MarkDirty(false).
  void RescaleAllControls();
  // Frees every cached picture; a backend whose pictures need its drawing
  // context calls this from its destructor while that context still exists.
  void ClearBitmapCache();

  IGEditorDelegate* mDelegate;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  float mMinScale;
  float mMaxScale;
  bool mCursorHidden = false;
  bool mCursorLocked = false;

private:
  // Holds deletions while events or walks run; the outermost guard flushes.
  class WalkGuard
  {
  public:
    explicit WalkGuard(IGraphics& g);
    ~WalkGuard();
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

  private:
    IGraphics& mG;
  };
  friend class WalkGuard;

  void AttachSetup(IControl* control);
  void FlushRemoved();
  void ForgetControl(IControl* control);
  void SetMouseOverControl(IControl* control, float x, float y, const IMouseMods& mod);
  void ShowCursorIfHidden();
  void EndGestures(IControl* control);
  void FinishMenu(IControl* control, IMenu* result, int valIdx, bool isContext);
  void DrawOneControl(IControl* control, const IRect& region, float scale, bool isBackground);

  std::thread::id mUIThread;
  std::vector<std::unique_ptr<IControl>> mControls;
  std::map<int, IControl*> mTagMap;
  std::unique_ptr<IControl> mPerfDisplay;
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  std::unique_ptr<ITextEntryControl> mTextEntryControl;
  std::unique_ptr<IPopupMenuControl> mPopupControl;
  std::vector<std::unique_ptr<IControl>> mOverlays;
  // Removed while a walk ran; deleted when the outermost walk ends.
  std::vector<std::unique_ptr<IControl>> mRemoved;
  int mWalkDepth = 0;

  std::unordered_map<uint64_t, IControl*> mCapturedMap;
  IControl* mMouseOver = nullptr;
  int mMouseOverIdx = -1;
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  bool mResizingInProcess = false;
  EResizeMode mResizeMode = kResizeModeScale;
  bool mLayoutOnResize = false;
  bool mHoverEnabled = false;
  bool mTooltipsEnabled = false;
  bool mMultiTouchEnabled = false;
  bool mMergeAllRegions = false;
  IRect mClipRect;
  IRectList mDrawRegions; // DrawRegions' working copy, kept for its capacity

  IMenu mPromptMenu;
  IControl* mInPopupMenu = nullptr;
  int mPopupMenuValIdx = 0;
  bool mIsContextMenu = false;
  IControl* mInTextEntry = nullptr;
  int mTextEntryValIdx = 0;

  IKeyHandlerFunc mKeyHandlerFunc;
  IDisplayTickFunc mDisplayTickFunc;
  std::vector<int> mFontSizeClasses;
  std::vector<IMatrix> mTransformStates;
  IMatrix mTransform;

  // Pictures loaded by this context, keyed by the hash of their cache name
  // (name and "-%.1fx" of the scale), then matched on name and scale. Loading
  // runs on the user-interface thread; the lock keeps the cache whole should
  // another thread look in.
  struct CachedBitmap
  {
    std::unique_ptr<APIBitmap> bitmap;
    std::string name;
    int scale;
  };
  APIBitmap* FindCachedBitmap(const std::string& name, int scale) const;
  APIBitmap* CacheBitmap(APIBitmap* bitmap, const std::string& name, int scale);
  mutable std::mutex mBitmapCacheLock;
  std::unordered_multimap<size_t, CachedBitmap> mBitmapCache;
  void* mModuleHandle = nullptr;

  // The process-wide font cache counts the contexts using it.
  static void RegisterFontCacheUser();
  static void ReleaseFontCacheUser();
  // Hands the font to the platform's cache hook, then keeps it by id.
  void StoreFont(const char* fontID, PlatformFontPtr font);
};

} // namespace igraphics
} // namespace iplug
