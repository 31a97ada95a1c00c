// A graphics context for tests: a recording drawing backend (every backend
// call and its arguments kept as data) under a test platform (no window;
// events are injected by calling the context's entry points; prompts,
// cursor, host resizes and the window's life are recorded).
#pragma once

#include "IGraphics.h"

#include <string>
#include <vector>

namespace iplug_test
{

// The bytes of a PNG signature and header chunk of the given pixel size:
// enough for the picture's size to be read, nothing to decode.
std::vector<uint8_t> PngHeader(uint32_t width, uint32_t height);
// A folder of its own under the system's temporary folder, removed with the
// object; Write puts a file in it and returns its path.
class TempFolder
{
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  std::string Path(const std::string& name) const { return mPath + "/" + name; }

private:
  std::string mPath;
};

using namespace iplug;
using namespace iplug::igraphics;

// One backend call: its name, numeric arguments in declaration order, the
// paint colour and blend weight where it has them, and text.
struct DrawCall
{
  std::string op;
  std::vector<float> args;
  IColour colour;
  float weight = 1.f;
  std::string text;
};

class RecordingBackend : public IGraphics
{
public:
  using IGraphics::IGraphics;

  std::vector<DrawCall> mCalls;
  // The calls named op, in order.
  std::vector<DrawCall> Calls(const std::string& op) const;
  int Count(const std::string& op) const { return static_cast<int>(Calls(op).size()); }

  void BeginFrame() override { Record("BeginFrame", {}); }
  void OnViewInitialized(void*) override { Record("OnViewInitialized", {}); }
  void OnViewDestroyed() override { Record("OnViewDestroyed", {}); }
  void EndFrame() override { Record("EndFrame", {}); }
  void DrawBitmap(const IBitmapRef& bitmap, const IRect& r, int srcX, int srcY,
                  const IBlendMode* blend) override;
  IColour GetPoint(int, int) override { return IColour(); }
  void* GetDrawContext() override { return nullptr; }
  const char* GetDrawingAPIStr() override { return "Recording"; }
  APIBitmap* ScaleAPIBitmap(const APIBitmap*, int) override { return nullptr; }
  void RetainBitmap(const IBitmapRef&, const char*) override {}
  void ReleaseBitmap(const IBitmapRef&) override {}
  bool BitmapExtSupported(const char*) override { return true; }
  void GetLayerBitmapData(const ILayerPtr&, RawBitmapData& data) override { data.clear(); }
  void ApplyShadowMask(ILayerPtr&, RawBitmapData&, const IShadow&) override {}
  void UpdateLayer() override {}
  void PathClear() override { Record("PathClear", {}); }
  void PathClose() override { Record("PathClose", {}); }
  void PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise) override
  {
    Record("PathArc", {cx, cy, r, a1, a2, clockwise ? 1.f : 0.f});
  }
  void PathMoveTo(float x, float y) override { Record("PathMoveTo", {x, y}); }
  void PathLineTo(float x, float y) override { Record("PathLineTo", {x, y}); }
  void PathSetWinding(bool clockwise) override { Record("PathSetWinding", {clockwise ? 1.f : 0.f}); }
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override
  {
    Record("PathCubicBezierTo", {c1x, c1y, c2x, c2y, x2, y2});
  }
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override
  {
    Record("PathQuadraticBezierTo", {cx, cy, x2, y2});
  }
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions&,
                  const IBlendMode* blend) override;
  void PathFill(const IPattern& pattern, const IFillOptions&, const IBlendMode* blend) override;
  void PathTransformSetMatrix(const IMatrix& m) override;
  void SetClipRegion(const IRect& r) override { Record("SetClipRegion", {r.L, r.T, r.R, r.B}); }
  float DoMeasureText(const ITextStyle& style, const char* str, IRect& bounds) const override;
  void DoDrawText(const ITextStyle& style, const char* str, const IRect& bounds,
                  const IBlendMode* blend) override;
  // Pictures get the pixel size their header gives (no pixels are decoded);
  // each load is recorded as "LoadAPIBitmap" with the scale and the name.
  APIBitmap* LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale) override;
  APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
                           const char* ext) override;
  // Every name asked for, in order.
  EResourceLocation LocateResource(const char* fileNameOrResID, const char* type,
                                   std::string& result) override
  {
    mLocated.push_back(fileNameOrResID ? fileNameOrResID : "");
    return IGraphics::LocateResource(fileNameOrResID, type, result);
  }
  std::vector<std::string> mLocated;
  int mNextImage = 0;
  APIBitmap* CreateAPIBitmap(int, int, float, double, bool) override { return nullptr; }
  bool LoadAPIFont(const char*, const PlatformFontPtr&) override { return true; }
  void DrawResize() override { Record("DrawResize", {}); }

protected:
  void Record(const char* op, std::vector<float> args, const IColour& colour = IColour(), float weight = 1.f,
              const std::string& text = "")
  {
    mCalls.push_back({op, std::move(args), colour, weight, text});
  }
};

// A text entry the context asked the platform to open.
struct TextEntryRequest
{
  int valIdx;
  IRect bounds;
  int length;
  std::string text;
  ITextStyle style;
};

// A menu the context asked the platform to show: item texts and checks.
struct MenuRequest
{
  std::vector<std::string> items;
  std::vector<bool> checked;
  IRect bounds;
};

class TestGraphics : public RecordingBackend
{
public:
  TestGraphics(IGEditorDelegate& dlg, int w = 580, int h = 250, float scale = 1.f)
      : RecordingBackend(dlg, w, h, 60, scale)
  {
  }

  // --- Scripted answers
  float mMouseX = 0.f, mMouseY = 0.f;
  // Item the platform menu answers with (-1 cancels); async defers it.
  int mMenuAnswer = -1;
  bool mMenuAsync = false;

  // --- What happened
  bool mWindowOpen = false;
  std::vector<TextEntryRequest> mTextEntries;
  std::vector<MenuRequest> mMenus;
  std::vector<bool> mPlatformResizes;
  int mCursorShows = 0;
  ECursor mCursor = kCursorArrow;

  void GetMouseLocation(float& x, float& y) const override
  {
    x = mMouseX;
    y = mMouseY;
  }
  void HideMouseCursor(bool hide, bool lock) override
  {
    if (!hide && mCursorHidden) ++mCursorShows;
    mCursorHidden = hide;
    mCursorLocked = hide && lock;
  }
  void MoveMouseCursor(float x, float y) override
  {
    mMouseX = x;
    mMouseY = y;
  }
  ECursor SetMouseCursor(ECursor cursor) override
  {
    ECursor previous = mCursor;
    mCursor = cursor;
    return previous;
  }
  void EndPlatformTextEntry() override {}
  // As a platform must: lay out, mark everything dirty, tell the delegate.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override
  {
    mWindowOpen = false;
    RemoveAllControls();
  }
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  bool WindowIsOpen() override { return mWindowOpen; }
  bool GetTextFromClipboard(std::string& str) override
  {
    str = mClipboard;
    return true;
  }
  bool SetTextInClipboard(const char* str) override
  {
    mClipboard = str ? str : "";
    return true;
  }
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  void PromptForFile(std::string& fileName, std::string& path, bool, const char*) override
  {
    fileName.clear();
    path.clear();
  }
  bool PromptForDirectory(std::string&) override { return false; }
  bool PromptForColour(IColour&, const char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  const char* GetPlatformAPIStr() override { return "test"; }
  bool RevealPathInExplorerOrFinder(const char*, bool) override { return false; }
  PlatformFontPtr LoadPlatformFont(const char*, const char*, EFontStyle) override { return nullptr; }
  PlatformFontPtr LoadPlatformFont(const char*, const char*) override { return nullptr; }
  PlatformFontPtr LoadPlatformFont(const char*, const void*, int) override { return nullptr; }
  void CachePlatformFont(const char*, const PlatformFontPtr&) override {}
  void CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds, int length,
                               const char* str) override
  {
    mTextEntries.push_back({valIdx, bounds, length, str ? str : "", style});
  }
  IMenu* CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync) override;
  void PlatformResize(bool parentHasResized) override { mPlatformResizes.push_back(parentHasResized); }

  // --- Event helpers
  void Down(float x, float y, const IMouseMods& mods = IMouseMods(true));
  void Up(float x, float y, const IMouseMods& mods = IMouseMods(true));
  void Drag(float x, float y, float dx, float dy, const IMouseMods& mods = IMouseMods(true));

private:
  std::string mClipboard;
};

// A control that counts what reaches it and draws a filled rectangle.
class TestControl : public IControl
{
public:
  explicit TestControl(const IRect& r, int paramIdx = kNoParameter, const char* name = "")
      : IControl(r, paramIdx), mName(name)
  {
  }
  void Draw(IGraphics& g) override
  {
    ++mDraws;
    g.FillRect(kColourBlack, mRect, &mBlend);
  }
  void OnMouseDown(float x, float y, const IMouseMods& mod) override
  {
    ++mDowns;
    if (mOnDown) mOnDown(this);
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(float, float, const IMouseMods&) override { ++mUps; }
  void OnMouseDrag(float, float, float, float, const IMouseMods&) override { ++mDrags; }
  void OnMouseOver(float x, float y, const IMouseMods& mod) override
  {
    ++mOvers;
    IControl::OnMouseOver(x, y, mod);
  }
  void OnMouseOut() override
  {
    ++mOuts;
    IControl::OnMouseOut();
  }
  void OnMouseWheel(float, float, const IMouseMods&, float) override { ++mWheels; }
  void FillContextMenu(IMenu& menu) override
  {
    for (const std::string& item : mContextItems) menu.AddItem(item.c_str());
  }
  void OnContextMenuChoice(int idx) override { mContextChoices.push_back(idx); }
  void OnTextEntryDone(const char* text, int valIdx) override { mTextDone.push_back({text, valIdx}); }
  void OnMidiMessage(const MidiMessage&) override { ++mMidi; }
  void OnDelegateMessage(int msgTag, int, const void*) override { mMessages.push_back(msgTag); }
  void OnInit() override { mSetup += "i"; }
  void OnBoundsChanged() override { mSetup += "b"; }
  void OnScaleChanged() override { mSetup += "s"; }
  void OnAttached() override { mSetup += "a"; }

  std::string mName;
  int mMidi = 0;
  std::vector<int> mMessages;
  int mDraws = 0, mDowns = 0, mUps = 0, mDrags = 0, mOvers = 0, mOuts = 0, mWheels = 0;
  std::string mSetup;
  std::vector<std::string> mContextItems;
  std::vector<int> mContextChoices;
  std::vector<std::pair<std::string, int>> mTextDone;
  std::function<void(TestControl*)> mOnDown;
};

} // namespace iplug_test
