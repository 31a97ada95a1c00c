// The editor window on Windows: a child window of the host's window with a
// WGL context for the vector backend, driven by a display clock (a thread
// that waits for the monitor's vertical blank, or a 15 ms-ish timer), with
// window messages turned into the context's events, a native edit control
// for typed values, tooltips, touch, dropped files, cursors, clipboard,
// fonts and the common dialogs.
//
// Threads: everything runs on the user-interface thread that opened the
// window, except the vertical-blank thread, which only waits and posts
// message 1025 to the window; it never touches the context.
#pragma once

#include "IGraphicsNanoVG.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace iplug
{
namespace igraphics
{

class IGraphicsWin : public IGraphicsNanoVG
{
public:
  // Edit states of the value entry.
  enum EEditState
  {
    kEditNone = 0,
    kEditFocused = 1,
    kEditDrawn = 2,
    kEditCancel = 3,
    kEditCommit = 4
  };
  static constexpr UINT kDisplayTimerID = 2;
  static constexpr UINT kVBlankMessage = WM_USER + 1; // 1025
  static constexpr int kEditControlID = 99;

  // A font as Windows knows it: the bytes the backend draws with (installed
  // for the process when they came from a file or a resource), the names
  // read from the font's own tables, and the GDI description the value entry
  // makes its font from (lfHeight is set per use).
  class Font : public PlatformFont
  {
  public:
    // A face installed from bytes (kept here when copy is true, else used in
    // place and owned by the caller for the font's life).
    static std::unique_ptr<Font> FromBytes(const void* data, int size, bool copy);
    // A face Windows already has; bytes fetched through GDI.
    static std::unique_ptr<Font> FromSystem(const char* family, EFontStyle style);
    ~Font() override;
    const char* GetFamily() const { return mFamily.c_str(); }
    // "Regular", "Bold" or "Italic".
    const char* GetStyleName() const { return mStyle.c_str(); }
    bool IsSystem() const { return mSystem; }
    const LOGFONTW& GetLogFont() const { return mLogFont; }
    // The GDI description cached for fontID when it was loaded (any editor of
    // the process), else a normal-weight face of that name. lfHeight is 0.
    static LOGFONTW EntryLogFont(const char* fontID);
    const void* GetData() const override { return mData; }
    int GetDataSize() const override { return mSize; }
    int GetFaceIdx() const override { return mFaceIdx; }

  private:
    Font() = default;
    std::vector<unsigned char> mBytes;
    const void* mData = nullptr;
    int mSize = 0;
    int mFaceIdx = 0;
    HANDLE mInstalled = nullptr; // AddFontMemResourceEx's handle, or nothing
    std::string mFamily;
    std::string mStyle;
    bool mSystem = false;
    LOGFONTW mLogFont{};
  };

  // What a font file says about itself: the family (typographic family when
  // present, else the legacy one), the legacy family GDI selects it by, the
  // style ("Regular", "Bold" or "Italic"), weight (100..900) and slant.
  struct FontNames
  {
    std::string family;
    std::string gdiFamily;
    std::string style;
    int weight = 400;
    bool italic = false;
  };
  // Reads them from the 'name', 'OS/2' and 'head' tables of face faceIdx of a
  // TrueType/OpenType file or collection. Every offset and length is checked
  // against size: false for anything short, truncated or without a family.
  static bool ReadFontNames(const void* data, size_t size, int faceIdx, FontNames& names);

  IGraphicsWin(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsWin() override;

  // Mouse.
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  ECursor SetMouseCursor(ECursor cursor = kCursorArrow) override;
  void EndPlatformTextEntry() override;

  // Window. parent is the host's HWND.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWnd; }
  bool WindowIsOpen() override { return mWnd != nullptr; }

  // Clipboard: UTF-8 here, UTF-16 on the system clipboard.
  bool GetTextFromClipboard(std::string& str) override;
  bool SetTextInClipboard(const char* str) override;

  int ShowMessageBox(const char* str, const char* caption, int type) override;
  void PromptForFile(std::string& fileName, std::string& path, bool save, const char* ext) override;
  bool PromptForDirectory(std::string& dir) override;
  bool PromptForColour(IColour& colour, const char* prompt) override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  const char* GetPlatformAPIStr() override { return "win32"; }
  bool RevealPathInExplorerOrFinder(const char* path, bool select = false) override;

  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fontName, EFontStyle style) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  PlatformFontPtr LoadPlatformFont(const char* fontID, const void* data, int dataSize) override;
  void CachePlatformFont(const char* fontID, const PlatformFontPtr& font) override;

  // Makes this window's context current, remembering the one that was;
  // DeactivateGLContext restores it.
  void ActivateGLContext() override;
  void DeactivateGLContext() override;

  void CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds, int length,
                               const char* str) override;
  IMenu* CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync) override;

  void PlatformResize(bool parentHasResized) override;

  // Stores the screen scale and fits host view, window, controls and surface.
  void ApplyScreenScale(float scale);

  // One display-clock tick: n is the blank counter the message carried (0
  // from the timer). Public so that a test can run it directly.
  void OnDisplayTick(unsigned n);

  // Clock mode: chosen at construction (vertical blank from Windows 6.2 on),
  // changeable before the window opens.
  bool VerticalBlankMode() const { return mVBlankMode; }
  void SetVerticalBlankMode(bool on) { mVBlankMode = on; }
  // Timer period for a frame rate: floor(1000 / fps), 15 when below 20.
  static UINT TimerPeriodMs(int fps);
  // What the vertical-blank thread found: the three functions, and how many
  // waits succeeded (0 when every wait failed and it slept instead).
  bool VBlankFunctionsFound() const { return mVBlankFunctions.load(); }
  unsigned VBlankWaitsSucceeded() const { return mVBlankWaits.load(); }
  unsigned VBlankCount() const { return mVBlankCount.load(); }
  bool VBlankThreadRunning() const { return mVBlankThread != nullptr; }

  // The DPI query (GetDpiForWindow when user32 has it); a test replaces it.
  using DpiQuery = UINT(WINAPI*)(HWND);
  static void SetDpiQuery(DpiQuery query);

  // The native popup menu for a menu (submenus nested); items[id - 1] is the
  // (sub)menu and index a command id stands for. The caller destroys it.
  static HMENU BuildNativeMenu(IMenu& menu, std::vector<std::pair<IMenu*, int>>& items);
  // An item's text as shown: "%1d: %s", "%02d: %s" or "%03d: %s" of its
  // 1-based number when the menu numbers its items, else with "&" doubled.
  static std::string MenuItemText(const IMenu& menu, int idx);

  int GetEditState() const { return mEditState; }
  HWND GetEditWindow() const { return mEditWnd; }
  // The value entry's GDI font (nothing while no entry is open).
  HFONT GetEditFont() const { return mEditFont; }

  // Tooltips (when enabled before the window opens): the tooltip window, and
  // which control's text it shows (-1 none).
  HWND GetTooltipWindow() const { return mTooltipWnd; }
  bool TooltipVisible() const { return mTooltipVisible; }
  int TooltipControlIdx() const { return mTooltipIdx; }

  // Touch input as WM_TOUCH delivers it (screen positions in hundredths of a
  // pixel): downs, moves and ups go to the context as lists of mouse infos
  // carrying the touch id and contact radius. Public so that a test can feed
  // points where no digitizer exists.
  void OnTouchInputs(const TOUCHINPUT* inputs, int count);
  // Whether OpenWindow registered the window for touch.
  bool RegisteredForTouch() const { return mTouchRegistered; }

private:
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI VBlankThreadProc(LPVOID param);
  // The window's messages: HandleMessage only dispatches; each handler
  // answers as the window procedure would.
  LRESULT HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnEditColours(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonDownMessage(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnButtonUpMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnDoubleClickMessage(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnWheelMessage(HWND hWnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnTouchMessage(HWND hWnd, WPARAM wParam, LPARAM lParam);
  float WindowScaleOf(HWND hWnd) const;
  void StartDisplayClock();
  void StopDisplayClock();
  void DestroyEditWindow();
  void Paint();
  IMouseInfo MouseInfoOf(LPARAM lParam, WPARAM wParam);
  void CreateTooltipWindow();
  void ShowTooltip();
  void HideTooltip();
  void OnDropFiles(HDROP drop);

  HWND mWnd = nullptr;
  HWND mParentWnd = nullptr;
  HWND mMainWnd = nullptr; // top-level window, owner of dialogs
  HDC mDC = nullptr;
  HGLRC mGLRC = nullptr;
  HDC mPrevDC = nullptr;
  HGLRC mPrevGLRC = nullptr;
  bool mOwnsClassRef = false;

  // Value entry.
  HWND mEditWnd = nullptr;
  WNDPROC mEditProc = nullptr;
  HFONT mEditFont = nullptr;
  ITextStyle mEditStyle{17.f, kColourBlack, "Poppins-Medium", kAlignCentre, kVAlignMiddle};
  IRect mEditRect;
  int mEditParamIdx = -1;
  int mEditState = kEditNone;

  // Tooltips.
  HWND mTooltipWnd = nullptr;
  bool mTooltipVisible = false;
  int mTooltipIdx = -1;

  // Touch: where each touch id was last seen (logical units), for drag deltas.
  bool mTouchRegistered = false;
  std::map<DWORD, std::pair<float, float>> mTouchPoints;

  int mCursorShape = kCursorArrow;
  bool mPenOrTouch = false;
  POINT mHiddenCursorPoint{};
  float mLastX = -1.f;
  float mLastY = -1.f;

  // Display clock.
  bool mVBlankMode = false;
  std::atomic<bool> mVBlankStop{false};
  HANDLE mVBlankThread = nullptr;
  std::atomic<unsigned> mVBlankCount{0};
  std::atomic<bool> mVBlankFunctions{false};
  std::atomic<unsigned> mVBlankWaits{0};
  unsigned mVBlankSkipUntil = 0;
  bool mTimerRunning = false;
};

} // namespace igraphics
} // namespace iplug
