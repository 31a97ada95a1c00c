// The Windows editor window: a child window of the host's with a WGL
// context, its messages, tooltips, dropped files, touch, the mouse cursor and
// the clipboard. The display clock, the value entry, native menus, dialogs
// and fonts have files of their own (IGraphicsWin_*.cpp). User-interface
// thread throughout, except where a function says otherwise.
#include "IGraphicsWin.h"

#include "IGraphicsWinText.h"

#include "IPlugLogger.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace iplug
{
namespace igraphics
{

using wintext::Narrow;
using wintext::Widen;

namespace
{
const wchar_t* const kWndClassName = L"IPlugWndClass";
int sWndClassRefs = 0; // windows of this process using the class (UI thread only)

IGraphicsWin::DpiQuery sDpiQuery = nullptr;
bool sDpiQueryLooked = false;

IGraphicsWin::DpiQuery DpiQueryFunction()
{
  if (!sDpiQueryLooked)
  {
    sDpiQueryLooked = true;
    if (HMODULE user32 = LoadLibraryW(L"user32.dll"))
      sDpiQuery = reinterpret_cast<IGraphicsWin::DpiQuery>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  }
  return sDpiQuery;
}

bool FromPenOrTouch()
{
  return (static_cast<unsigned long long>(GetMessageExtraInfo()) & 0xFFFFFF00ull) == 0xFF515700ull;
}

LPCWSTR CursorIdOf(int shape)
{
  switch (shape)
  {
  case kCursorIBeam:
    return reinterpret_cast<LPCWSTR>(IDC_IBEAM);
  case kCursorWait:
    return reinterpret_cast<LPCWSTR>(IDC_WAIT);
  case kCursorCross:
    return reinterpret_cast<LPCWSTR>(IDC_CROSS);
  case kCursorUpArrow:
    return reinterpret_cast<LPCWSTR>(IDC_UPARROW);
  case kCursorSizeNWSE:
    return reinterpret_cast<LPCWSTR>(IDC_SIZENWSE);
  case kCursorSizeNESW:
    return reinterpret_cast<LPCWSTR>(IDC_SIZENESW);
  case kCursorSizeWE:
    return reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
  case kCursorSizeNS:
    return reinterpret_cast<LPCWSTR>(IDC_SIZENS);
  case kCursorSizeAll:
    return reinterpret_cast<LPCWSTR>(IDC_SIZEALL);
  case kCursorNo:
    return reinterpret_cast<LPCWSTR>(IDC_NO);
  case kCursorHand:
    return reinterpret_cast<LPCWSTR>(IDC_HAND);
  case kCursorAppStarting:
    return reinterpret_cast<LPCWSTR>(IDC_APPSTARTING);
  case kCursorHelp:
    return reinterpret_cast<LPCWSTR>(IDC_HELP);
  default:
    return reinterpret_cast<LPCWSTR>(IDC_ARROW);
  }
}

bool WindowsAtLeast62()
{
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return false;
  auto fn =
      reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!fn) return false;
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (fn(&v) != 0) return false;
  return v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 2);
}
} // namespace

IGraphicsWin::IGraphicsWin(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
    : IGraphicsNanoVG(dlg, w, h, fps, scale), mVBlankMode(WindowsAtLeast62())
{
}

IGraphicsWin::~IGraphicsWin()
{
  if (mWnd) CloseWindow();
}

void IGraphicsWin::SetDpiQuery(DpiQuery query)
{
  sDpiQueryLooked = query != nullptr;
  sDpiQuery = query;
}

UINT IGraphicsWin::TimerPeriodMs(int fps)
{
  const UINT period = fps > 0 ? static_cast<UINT>(1000 / fps) : 15u;
  return period < 20 ? 15u : period;
}

float IGraphicsWin::WindowScaleOf(HWND hWnd) const
{
  DpiQuery query = DpiQueryFunction();
  if (!query || !hWnd) return 1.f;
  const UINT dpi = query(hWnd);
  if (dpi == 0 || dpi == USER_DEFAULT_SCREEN_DPI) return 1.f;
  return static_cast<float>(dpi) / static_cast<float>(USER_DEFAULT_SCREEN_DPI);
}

// ----- Window

void* IGraphicsWin::OpenWindow(void* parent)
{
  AssertUIThread();
  mParentWnd = static_cast<HWND>(parent);
  const float screen = WindowScaleOf(mParentWnd);
  int x = 0, y = 0;
  int w = static_cast<int>(screen) * static_cast<int>(static_cast<float>(Width()) * GetDrawScale());
  int h = static_cast<int>(screen) * static_cast<int>(static_cast<float>(Height()) * GetDrawScale());
  if (mWnd)
  {
    RECT r{};
    GetWindowRect(mWnd, &r);
    MapWindowPoints(HWND_DESKTOP, mParentWnd, reinterpret_cast<POINT*>(&r), 2);
    x = r.left;
    y = r.top;
    w = r.right - r.left;
    h = r.bottom - r.top;
    CloseWindow();
    mParentWnd = static_cast<HWND>(parent);
  }

  HINSTANCE instance = static_cast<HINSTANCE>(GetWinModuleHandle());
  if (!instance) instance = GetModuleHandleW(nullptr);
  if (sWndClassRefs++ == 0)
  {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWndClassName;
    RegisterClassW(&wc);
  }
  mOwnsClassRef = true;
  mWnd = CreateWindowW(kWndClassName, L"IPlug", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x,
                       y, w, h, mParentWnd, nullptr, instance, this);
  if (!mWnd)
  {
    Trace(TRACELOC, "the editor window could not be created (error %lu)", GetLastError());
    if (--sWndClassRefs == 0) UnregisterClassW(kWndClassName, instance);
    mOwnsClassRef = false;
    return nullptr;
  }

  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof(pfd);
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 32;
  pfd.cDepthBits = 24;
  pfd.cStencilBits = 8;
  pfd.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(mDC, &pfd);
  if (format && SetPixelFormat(mDC, format, &pfd)) mGLRC = wglCreateContext(mDC);
  if (!mGLRC)
    Trace(TRACELOC, "no OpenGL context for the editor window: it stays empty");
  else
  {
    // The backend looks its OpenGL 2 entry points up through
    // wglGetProcAddress while the context is current.
    ActivateGLContext();
    OnViewInitialized(mGLRC);
  }
  ApplyScreenScale(std::floor(screen));
  GetDelegate()->RunLayout(this);
  if (MultiTouchEnabled() && (GetSystemMetrics(SM_DIGITIZER) & NID_MULTI_INPUT))
    mTouchRegistered = RegisterTouchWindow(mWnd, 0) != FALSE;
  MarkAllDirty();
  if (TooltipsEnabled()) CreateTooltipWindow();
  if (mGLRC) DeactivateGLContext();
  GetDelegate()->EditorOpened();
  return mWnd;
}

void IGraphicsWin::CloseWindow()
{
  AssertUIThread();
  StopDisplayClock();
  DestroyEditWindow();
  RemoveAllControls();
  if (!mWnd) return;
  if (mGLRC)
  {
    ActivateGLContext();
    OnViewDestroyed();
    DeactivateGLContext();
    if (wglGetCurrentContext() == mGLRC) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(mGLRC);
    mGLRC = nullptr;
  }
  if (mTooltipWnd) DestroyWindow(mTooltipWnd);
  mTooltipWnd = nullptr;
  mTooltipVisible = false;
  mTooltipIdx = -1;
  if (mTouchRegistered) UnregisterTouchWindow(mWnd);
  mTouchRegistered = false;
  mTouchPoints.clear();
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mWnd, GWLP_HINSTANCE));
  SetWindowLongPtrW(mWnd, GWLP_USERDATA, 0);
  DestroyWindow(mWnd);
  mWnd = nullptr;
  mDC = nullptr;
  if (mOwnsClassRef && --sWndClassRefs == 0) UnregisterClassW(kWndClassName, instance);
  mOwnsClassRef = false;
}

void IGraphicsWin::ActivateGLContext()
{
  if (!mGLRC) return;
  mPrevDC = wglGetCurrentDC();
  mPrevGLRC = wglGetCurrentContext();
  wglMakeCurrent(mDC, mGLRC);
}

void IGraphicsWin::DeactivateGLContext()
{
  if (!mGLRC) return;
  wglMakeCurrent(mPrevDC, mPrevGLRC);
  mPrevDC = nullptr;
  mPrevGLRC = nullptr;
}

void IGraphicsWin::ApplyScreenScale(float scale)
{
  SetScreenScale(scale);
}

void IGraphicsWin::PlatformResize(bool parentHasResized)
{
  if (!mWnd) return;
  const int w = static_cast<int>(static_cast<float>(WindowWidth()) * GetScreenScale());
  const int h = static_cast<int>(static_cast<float>(WindowHeight()) * GetScreenScale());
  RECT r{};
  GetClientRect(mWnd, &r);
  const int dw = w - (r.right - r.left);
  const int dh = h - (r.bottom - r.top);
  if (dw == 0 && dh == 0) return;
  SetWindowPos(mWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (parentHasResized) return;
  // The host leaves its window as it is: grow the parent (and a child
  // parent's own parent) by the same amount.
  auto grow = [&](HWND wnd)
  {
    RECT pr{};
    GetWindowRect(wnd, &pr);
    SetWindowPos(wnd, nullptr, 0, 0, pr.right - pr.left + dw, pr.bottom - pr.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  if (!mParentWnd) return;
  grow(mParentWnd);
  if (GetWindowLongW(mParentWnd, GWL_STYLE) & WS_CHILD)
    if (HWND grand = GetParent(mParentWnd)) grow(grand);
}

// ----- Messages

LRESULT CALLBACK IGraphicsWin::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_CREATE)
  {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<IGraphicsWin*>(cs->lpCreateParams);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->mWnd = hWnd;
    self->mDC = GetDC(hWnd); // the class's own DC: valid for the window's life
    self->StartDisplayClock();
    SetFocus(hWnd);
    DragAcceptFiles(hWnd, TRUE);
    return 0;
  }
  auto* self = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hWnd, msg, wParam, lParam);
  return self->HandleMessage(hWnd, msg, wParam, lParam);
}

IMouseInfo IGraphicsWin::MouseInfoOf(LPARAM lParam, WPARAM wParam)
{
  const float total = GetTotalScale();
  IMouseInfo info;
  info.x = static_cast<float>(GET_X_LPARAM(lParam)) / total;
  info.y = static_cast<float>(GET_Y_LPARAM(lParam)) / total;
  info.ms = IMouseMods((wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0,
                       (wParam & MK_CONTROL) != 0, GetKeyState(VK_MENU) < 0);
  return info;
}

LRESULT IGraphicsWin::HandleMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) mPenOrTouch = FromPenOrTouch();
  switch (msg)
  {
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
  case WM_ERASEBKGND:
    return 0;
  case WM_PAINT:
    Paint();
    return 0;
  case WM_CLOSE:
    CloseWindow();
    return 0;
  case WM_SETCURSOR:
    SetMouseCursor(static_cast<ECursor>(mCursorShape));
    return TRUE;
  case WM_GETDLGCODE:
    return DLGC_WANTALLKEYS;
  case WM_KEYDOWN:
  case WM_KEYUP:
    return OnKeyMessage(hWnd, msg, wParam, lParam);
  case WM_TIMER:
    if (wParam == kDisplayTimerID) OnDisplayTick(0);
    return 0;
  case kVBlankMessage:
    OnDisplayTick(static_cast<unsigned>(wParam));
    return 0;
  case WM_CTLCOLOREDIT:
    return OnEditColours(hWnd, wParam, lParam);
  case WM_MOUSEMOVE:
    return OnMouseMoveMessage(hWnd, wParam, lParam);
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    return OnButtonDownMessage(hWnd, wParam, lParam);
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
    return OnButtonUpMessage(wParam, lParam);
  case WM_LBUTTONDBLCLK:
    return OnDoubleClickMessage(hWnd, wParam, lParam);
  case WM_MOUSEWHEEL:
    return OnWheelMessage(hWnd, wParam, lParam);
  case WM_MOUSEHOVER:
    ShowTooltip();
    return 0;
  case WM_MOUSELEAVE:
    HideTooltip();
    OnMouseOut();
    return 0;
  case WM_DROPFILES:
    OnDropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  case WM_TOUCH:
    return OnTouchMessage(hWnd, wParam, lParam);
  default:
    return DefWindowProcW(hWnd, msg, wParam, lParam);
  }
}

// Keys go to the controls at the mouse position; what they leave goes to the
// host's top-level window, so that its shortcuts keep working.
LRESULT IGraphicsWin::OnKeyMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hWnd, &p);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  wchar_t chars[4] = {};
  const int n =
      ToUnicode(static_cast<UINT>(wParam), static_cast<UINT>((lParam >> 16) & 0xFF), keys, chars, 4, 0);
  IKeyPress key(nullptr, static_cast<int>(wParam), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                GetKeyState(VK_MENU) < 0);
  if (n == 1) WideCharToMultiByte(CP_UTF8, 0, chars, 1, key.utf8, sizeof(key.utf8) - 1, nullptr, nullptr);
  const float total = GetTotalScale();
  const float x = static_cast<float>(p.x) / total;
  const float y = static_cast<float>(p.y) / total;
  const bool handled = msg == WM_KEYDOWN ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
  if (handled) return 0;
  HWND root = GetAncestor(hWnd, GA_ROOT);
  if (root && root != hWnd) SendMessageW(root, msg, wParam, lParam);
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}

// The value entry's colours, from the style it was opened with.
LRESULT IGraphicsWin::OnEditColours(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (!mEditWnd) return DefWindowProcW(hWnd, WM_CTLCOLOREDIT, wParam, lParam);
  const IColour& bg = mEditStyle.mTextEntryBGColour;
  const IColour& fg = mEditStyle.mTextEntryFGColour;
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetBkColor(dc, RGB(bg.R, bg.G, bg.B));
  SetTextColor(dc, RGB(fg.R, fg.G, fg.B));
  SetBkMode(dc, OPAQUE);
  SetDCBrushColor(dc, RGB(bg.R, bg.G, bg.B));
  return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

LRESULT IGraphicsWin::OnMouseMoveMessage(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mPenOrTouch) return 0;
  IMouseInfo info = MouseInfoOf(lParam, wParam);
  if (wParam & (MK_LBUTTON | MK_RBUTTON))
  {
    if (GetCapture() != hWnd || mEditWnd) return 0;
    info.dX = info.x - mLastX;
    info.dY = info.y - mLastY;
    if (info.dX != 0.f || info.dY != 0.f)
    {
      mLastX = info.x;
      mLastY = info.y;
      OnMouseDrag({info});
      if (mCursorLocked)
      {
        POINT p = mHiddenCursorPoint;
        ClientToScreen(hWnd, &p);
        SetCursorPos(p.x, p.y);
        const float total = GetTotalScale();
        mLastX = static_cast<float>(mHiddenCursorPoint.x) / total;
        mLastY = static_cast<float>(mHiddenCursorPoint.y) / total;
      }
    }
    return 0;
  }
  mLastX = info.x;
  mLastY = info.y;
  const bool over = OnMouseOver(info.x, info.y, info.ms);
  // A tooltip belongs to one control: another one (or none) under the
  // mouse hides it, and a new hover shows the new one's.
  const bool newTip = TooltipsEnabled() && GetMouseOverIdx() != mTooltipIdx;
  if (newTip) HideTooltip();
  if (over)
  {
    TRACKMOUSEEVENT t{};
    t.cbSize = sizeof(t);
    t.dwFlags = TME_LEAVE;
    if (newTip)
    {
      t.dwFlags |= TME_HOVER;
      t.dwHoverTime = HOVER_DEFAULT;
    }
    t.hwndTrack = hWnd;
    TrackMouseEvent(&t);
  }
  return 0;
}

LRESULT IGraphicsWin::OnButtonDownMessage(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mPenOrTouch) return 0;
  HideTooltip();
  if (mEditWnd)
  {
    mEditState = mEditState == kEditFocused ? kEditCancel : kEditCommit;
    return 0;
  }
  SetFocus(hWnd);
  SetCapture(hWnd);
  IMouseInfo info = MouseInfoOf(lParam, wParam);
  mLastX = info.x;
  mLastY = info.y;
  OnMouseDown({info});
  return 0;
}

LRESULT IGraphicsWin::OnButtonUpMessage(WPARAM wParam, LPARAM lParam)
{
  ReleaseCapture();
  IMouseInfo info = MouseInfoOf(lParam, wParam);
  OnMouseUp({info});
  return 0;
}

LRESULT IGraphicsWin::OnDoubleClickMessage(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mPenOrTouch) return 0;
  IMouseInfo info = MouseInfoOf(lParam, wParam);
  if (OnMouseDoubleClick(info.x, info.y, info.ms)) SetCapture(hWnd);
  return 0;
}

LRESULT IGraphicsWin::OnWheelMessage(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  if (mEditWnd)
  {
    mEditState = kEditCancel;
    return 0;
  }
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hWnd, &p);
  const float total = GetTotalScale();
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  OnMouseWheel(static_cast<float>(p.x) / total, static_cast<float>(p.y) / total,
               MouseInfoOf(lParam, GET_KEYSTATE_WPARAM(wParam)).ms, static_cast<float>(delta));
  return 0;
}

LRESULT IGraphicsWin::OnTouchMessage(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
  const UINT count = LOWORD(wParam);
  auto touch = reinterpret_cast<HTOUCHINPUT>(lParam);
  std::vector<TOUCHINPUT> inputs(count);
  if (count == 0 || !GetTouchInputInfo(touch, count, inputs.data(), sizeof(TOUCHINPUT)))
    return DefWindowProcW(hWnd, WM_TOUCH, wParam, lParam);
  OnTouchInputs(inputs.data(), static_cast<int>(count));
  CloseTouchInputHandle(touch);
  return 0;
}

// ----- Tooltips, dropped files, touch

void IGraphicsWin::CreateTooltipWindow()
{
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mWnd, GWLP_HINSTANCE));
  mTooltipWnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, mWnd, nullptr, instance, nullptr);
  bool ok = mTooltipWnd != nullptr;
  if (ok)
  {
    SetWindowPos(mTooltipWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // One tool for the whole editor; the tooltip subclasses the window to
    // see its mouse messages. The older record size works with every
    // common-controls version a host may have activated.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(mWnd);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ok = SendMessageW(mTooltipWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    if (ok) SendMessageW(mTooltipWnd, TTM_SETMAXTIPWIDTH, 0, 250);
  }
  if (!ok)
  {
    Trace(TRACELOC, "no tooltip window (error %lu): tooltips are off", GetLastError());
    if (mTooltipWnd) DestroyWindow(mTooltipWnd);
    mTooltipWnd = nullptr;
    EnableTooltips(false);
  }
}

namespace
{
void SetToolText(HWND tooltip, HWND wnd, const std::wstring& text)
{
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = wnd;
  tool.uId = reinterpret_cast<UINT_PTR>(wnd);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
} // namespace

void IGraphicsWin::ShowTooltip()
{
  if (!mTooltipWnd) return;
  const int idx = GetMouseOverIdx();
  const IControl* control = idx >= 0 ? GetControl(idx) : nullptr;
  SetToolText(mTooltipWnd, mWnd, control ? Widen(control->GetTooltip().c_str()) : std::wstring());
  mTooltipVisible = true;
  mTooltipIdx = idx;
}

void IGraphicsWin::HideTooltip()
{
  if (!mTooltipWnd || !mTooltipVisible) return;
  SetToolText(mTooltipWnd, mWnd, std::wstring()); // an empty text shows nothing
  SendMessageW(mTooltipWnd, TTM_POP, 0, 0);
  mTooltipVisible = false;
  mTooltipIdx = -1;
}

void IGraphicsWin::OnDropFiles(HDROP drop)
{
  wchar_t path[1025] = {}; // up to 1024 characters
  if (DragQueryFileW(drop, 0, path, 1025) > 0)
  {
    POINT p{};
    DragQueryPoint(drop, &p); // client pixels
    const float total = GetTotalScale();
    const std::string utf8 = Narrow(path);
    OnFileDrop(utf8.c_str(), static_cast<float>(p.x) / total, static_cast<float>(p.y) / total);
  }
  DragFinish(drop);
}

void IGraphicsWin::OnTouchInputs(const TOUCHINPUT* inputs, int count)
{
  if (!mWnd || !inputs || count <= 0) return;
  POINT origin{0, 0};
  ClientToScreen(mWnd, &origin);
  const float total = GetTotalScale();
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  std::vector<IMouseInfo> downs, moves, ups;
  for (int i = 0; i < count; ++i)
  {
    const TOUCHINPUT& t = inputs[i];
    const bool up = (t.dwFlags & TOUCHEVENTF_UP) != 0;
    IMouseInfo info;
    // Hundredths of a screen pixel to logical units.
    info.x = (static_cast<float>(t.x) / 100.f - static_cast<float>(origin.x)) / total;
    info.y = (static_cast<float>(t.y) / 100.f - static_cast<float>(origin.y)) / total;
    info.ms = IMouseMods(!up, false, shift, control, alt, t.dwID);
    if (t.dwMask & TOUCHINPUTMASKF_CONTACTAREA)
      info.ms.touchRadius =
          static_cast<float>(t.cxContact > t.cyContact ? t.cxContact : t.cyContact) / 200.f / total;
    if (t.dwFlags & TOUCHEVENTF_DOWN)
    {
      mTouchPoints[t.dwID] = {info.x, info.y};
      downs.push_back(info);
    }
    else if (up)
    {
      mTouchPoints.erase(t.dwID);
      ups.push_back(info);
    }
    else if (t.dwFlags & TOUCHEVENTF_MOVE)
    {
      auto last = mTouchPoints.find(t.dwID);
      if (last == mTouchPoints.end()) continue; // its down went elsewhere
      info.dX = info.x - last->second.first;
      info.dY = info.y - last->second.second;
      last->second = {info.x, info.y};
      moves.push_back(info);
    }
  }
  mPenOrTouch = true;
  if (!downs.empty()) OnMouseDown(downs);
  if (!moves.empty()) OnMouseDrag(moves);
  if (!ups.empty()) OnMouseUp(ups);
}

// ----- Mouse

void IGraphicsWin::GetMouseLocation(float& x, float& y) const
{
  x = y = 0.f;
  if (!mWnd) return;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(mWnd, &p);
  x = static_cast<float>(p.x) / GetTotalScale();
  y = static_cast<float>(p.y) / GetTotalScale();
}

void IGraphicsWin::HideMouseCursor(bool hide, bool lock)
{
  if (hide == mCursorHidden) return;
  mCursorHidden = hide;
  if (hide)
  {
    const float total = GetTotalScale();
    mHiddenCursorPoint.x = static_cast<LONG>(std::lround(mLastX * total));
    mHiddenCursorPoint.y = static_cast<LONG>(std::lround(mLastY * total));
    mCursorLocked = lock && !mPenOrTouch;
    ShowCursor(FALSE);
  }
  else
  {
    if (mCursorLocked && mWnd)
    {
      POINT p = mHiddenCursorPoint;
      ClientToScreen(mWnd, &p);
      SetCursorPos(p.x, p.y);
    }
    mCursorLocked = false;
    ShowCursor(TRUE);
  }
}

void IGraphicsWin::MoveMouseCursor(float x, float y)
{
  if (mPenOrTouch || !mWnd) return;
  const float total = GetTotalScale();
  POINT p{static_cast<LONG>(std::lround(x * total)), static_cast<LONG>(std::lround(y * total))};
  ClientToScreen(mWnd, &p);
  SetCursorPos(p.x, p.y);
  mLastX = x;
  mLastY = y;
}

ECursor IGraphicsWin::SetMouseCursor(ECursor cursor)
{
  const int previous = mCursorShape;
  mCursorShape = cursor;
  SetCursor(LoadCursorW(nullptr, CursorIdOf(cursor)));
  return static_cast<ECursor>(previous);
}

// ----- Clipboard

bool IGraphicsWin::GetTextFromClipboard(std::string& str)
{
  str.clear();
  if (!OpenClipboard(mWnd)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
  {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data)))
    {
      str = Narrow(text);
      ok = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return ok;
}

bool IGraphicsWin::SetTextInClipboard(const char* str)
{
  const std::wstring text = Widen(str);
  if (!OpenClipboard(mWnd)) return false;
  EmptyClipboard();
  bool ok = false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes))
  {
    if (void* p = GlobalLock(mem))
    {
      std::memcpy(p, text.c_str(), bytes);
      GlobalUnlock(mem);
      ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    }
    if (!ok) GlobalFree(mem);
  }
  CloseClipboard();
  return ok;
}

namespace wintext
{

std::wstring Widen(const char* utf8, int maxChars)
{
  if (!utf8 || !*utf8) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  if (maxChars >= 0 && w.size() > static_cast<size_t>(maxChars)) w.resize(static_cast<size_t>(maxChars));
  return w;
}

std::string Narrow(const wchar_t* w)
{
  if (!w || !*w) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

} // namespace wintext

} // namespace igraphics
} // namespace iplug
