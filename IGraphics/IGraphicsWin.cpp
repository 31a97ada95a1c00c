#include "IGraphicsWin.h"

#include "IGraphicsResources.h"
#include "IPlugLogger.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>
#include <windowsx.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace iplug
{
namespace igraphics
{

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

std::wstring Widen(const char* utf8, int maxChars = -1)
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

// The D3DKMT records the vertical-blank thread uses (kernel-mode thunks of
// gdi32, looked up at run time).
struct KmtOpenAdapterFromHdc
{
  HDC hDc;
  UINT hAdapter;
  LUID AdapterLuid;
  UINT VidPnSourceId;
};
struct KmtCloseAdapter
{
  UINT hAdapter;
};
struct KmtWaitForVerticalBlankEvent
{
  UINT hAdapter;
  UINT hDevice;
  UINT VidPnSourceId;
};
using KmtOpenFn = LONG(APIENTRY*)(KmtOpenAdapterFromHdc*);
using KmtCloseFn = LONG(APIENTRY*)(const KmtCloseAdapter*);
using KmtWaitFn = LONG(APIENTRY*)(const KmtWaitForVerticalBlankEvent*);

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

// Font tables and the GDI side of fonts.
namespace
{
uint16_t Be16(const unsigned char* p)
{
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t Be32(const unsigned char* p)
{
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// The font bytes, every access checked: font files come from resources and
// disk and may be cut short or corrupt.
struct FontBytes
{
  const unsigned char* p;
  size_t n;
  bool Has(size_t offset, size_t length) const { return offset <= n && length <= n - offset; }
};

// The table with tag in the face whose table directory starts at face.
bool FindTable(const FontBytes& f, size_t face, const char* tag, size_t& offset, size_t& length)
{
  if (!f.Has(face, 12)) return false;
  const size_t count = Be16(f.p + face + 4);
  if (!f.Has(face + 12, count * 16)) return false;
  for (size_t i = 0; i < count; ++i)
  {
    const unsigned char* record = f.p + face + 12 + i * 16;
    if (std::memcmp(record, tag, 4) != 0) continue;
    offset = Be32(record + 8);
    length = Be32(record + 12);
    return f.Has(offset, length);
  }
  return false;
}

// A name record's text as UTF-8: UTF-16BE on the Unicode and Windows
// platforms, single bytes (ASCII kept, the rest '?') on the Macintosh one.
std::string NameText(const unsigned char* text, size_t length, unsigned platform)
{
  if (platform == 1)
  {
    std::string out;
    for (size_t i = 0; i < length; ++i) out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    return out;
  }
  std::wstring wide;
  for (size_t i = 0; i + 1 < length; i += 2) wide.push_back(static_cast<wchar_t>(Be16(text + i)));
  return Narrow(wide.c_str());
}

// How much a name record is preferred: Windows English first, then any
// Windows or Unicode language, then Macintosh Roman; 0 for records we cannot
// read.
int NameRank(unsigned platform, unsigned encoding, unsigned language)
{
  if (platform == 3 && (encoding == 0 || encoding == 1 || encoding == 10)) return language == 0x409 ? 4 : 3;
  if (platform == 0) return 2;
  if (platform == 1 && encoding == 0) return 1;
  return 0;
}

const char* const kStyleNames[] = {"Regular", "Bold", "Italic"};

// The family and style names Windows reports for an installed face.
std::string SelectedFace(const LOGFONTW& lf)
{
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return {};
  HDC dc = CreateCompatibleDC(nullptr);
  std::string face;
  if (dc)
  {
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t name[LF_FACESIZE] = {};
    if (GetTextFaceW(dc, LF_FACESIZE, name) > 0) face = Narrow(name);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  DeleteObject(font);
  return face;
}

void SetFaceName(LOGFONTW& lf, const std::string& family)
{
  const std::wstring w = Widen(family.c_str(), LF_FACESIZE - 1);
  std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
  std::memcpy(lf.lfFaceName, w.c_str(), w.size() * sizeof(wchar_t));
}

// What the value entry needs to make a GDI font for a font id: filled when
// fonts are cached, for every context of the process.
struct LogFontCache
{
  std::mutex lock;
  std::map<std::string, LOGFONTW> fonts;
};
LogFontCache& GetLogFontCache()
{
  static LogFontCache cache;
  return cache;
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

// ----- Display clock

void IGraphicsWin::StartDisplayClock()
{
  if (mVBlankMode)
  {
    mVBlankStop = false;
    mVBlankThread = CreateThread(nullptr, 0, VBlankThreadProc, this, 0, nullptr);
    if (mVBlankThread) return;
    mVBlankMode = false;
  }
  mTimerRunning = SetTimer(mWnd, kDisplayTimerID, TimerPeriodMs(FPS()), nullptr) != 0;
}

void IGraphicsWin::StopDisplayClock()
{
  if (mVBlankThread)
  {
    mVBlankStop = true;
    if (WaitForSingleObject(mVBlankThread, 10000) != WAIT_OBJECT_0)
      Trace(TRACELOC, "the vertical-blank thread did not stop within 10 s");
    CloseHandle(mVBlankThread);
    mVBlankThread = nullptr;
  }
  if (mTimerRunning && mWnd) KillTimer(mWnd, kDisplayTimerID);
  mTimerRunning = false;
}

// Vertical-blank thread: waits for the monitor's blank (or sleeps 16 ms when
// that cannot be done) and posts the counter to the window. It touches
// nothing but its own adapter handle, the counter and the stop flag.
DWORD WINAPI IGraphicsWin::VBlankThreadProc(LPVOID param)
{
  auto* self = static_cast<IGraphicsWin*>(param);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  HMODULE gdi = LoadLibraryW(L"gdi32.dll");
  KmtOpenFn open = nullptr;
  KmtCloseFn close = nullptr;
  KmtWaitFn wait = nullptr;
  if (gdi)
  {
    open =
        reinterpret_cast<KmtOpenFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTOpenAdapterFromHdc")));
    close = reinterpret_cast<KmtCloseFn>(reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTCloseAdapter")));
    wait = reinterpret_cast<KmtWaitFn>(
        reinterpret_cast<void*>(GetProcAddress(gdi, "D3DKMTWaitForVerticalBlankEvent")));
  }
  const bool functions = open && close && wait;
  self->mVBlankFunctions = functions;
  bool adapterOpen = false;
  KmtOpenAdapterFromHdc adapter{};
  DWORD lastFailure = 0;
  bool failedBefore = false;
  const HWND wnd = self->mWnd;
  const HDC dc = self->mDC;
  while (!self->mVBlankStop.load())
  {
    if (!functions)
      Sleep(16);
    else if (!adapterOpen)
    {
      if (failedBefore && GetTickCount() - lastFailure < 1000)
        Sleep(16);
      else
      {
        adapter = {};
        adapter.hDc = dc;
        if (open(&adapter) == 0)
          adapterOpen = true;
        else
        {
          failedBefore = true;
          lastFailure = GetTickCount();
          Sleep(16);
        }
      }
    }
    else
    {
      KmtWaitForVerticalBlankEvent w{};
      w.hAdapter = adapter.hAdapter;
      w.VidPnSourceId = adapter.VidPnSourceId;
      if (wait(&w) == 0)
        ++self->mVBlankWaits;
      else
      {
        KmtCloseAdapter c{adapter.hAdapter};
        close(&c);
        adapterOpen = false;
        Sleep(16);
      }
    }
    const unsigned count = ++self->mVBlankCount;
    PostMessageW(wnd, kVBlankMessage, static_cast<WPARAM>(count), 0);
  }
  if (adapterOpen)
  {
    KmtCloseAdapter c{adapter.hAdapter};
    close(&c);
  }
  if (gdi) FreeLibrary(gdi);
  return 0;
}

void IGraphicsWin::OnDisplayTick(unsigned n)
{
  if (!mWnd) return;
  if (mVBlankMode)
  {
    const unsigned now = mVBlankCount.load();
    if (mVBlankSkipUntil && now < mVBlankSkipUntil) return;
    mVBlankSkipUntil = 0;
    if (n != now) return; // a stale message
  }
  if (mEditWnd)
  {
    if (mEditState == kEditCancel)
    {
      DestroyEditWindow();
      CancelTextEntry();
    }
    else if (mEditState == kEditCommit)
    {
      wchar_t text[257] = {};
      GetWindowTextW(mEditWnd, text, 257);
      const std::string utf8 = Narrow(text);
      DestroyEditWindow();
      ApplyTextEntryResult(utf8.c_str());
    }
    else if (mEditState != kEditNone)
      mEditState = kEditNone;
    return;
  }
  if (!GetCapture())
  {
    const float scale = WindowScaleOf(mWnd);
    if (scale != GetScreenScale()) ApplyScreenScale(scale);
  }
  IRectList rects;
  if (!CollectDirtyRegions(rects)) return;
  ClearAllDirty();
  const float total = GetTotalScale();
  for (int i = 0; i < rects.Size(); ++i)
  {
    const IRect& r = rects.Get(i);
    RECT dr{static_cast<LONG>(std::floor(r.L * total)), static_cast<LONG>(std::floor(r.T * total)),
            static_cast<LONG>(std::ceil(r.R * total)), static_cast<LONG>(std::ceil(r.B * total))};
    InvalidateRect(mWnd, &dr, FALSE);
  }
  const unsigned before = mVBlankCount.load();
  UpdateWindow(mWnd);
  if (mVBlankMode && mVBlankCount.load() != before) mVBlankSkipUntil = mVBlankCount.load() + 1;
}

void IGraphicsWin::Paint()
{
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetUpdateRgn(mWnd, region, FALSE);
  if (kind == NULLREGION || kind == ERROR)
  {
    DeleteObject(region);
    ValidateRect(mWnd, nullptr);
    return;
  }
  const float total = GetTotalScale();
  IRectList rects;
  auto add = [&](const RECT& r)
  {
    rects.Add(IRect(
        std::floor(static_cast<float>(r.left) / total), std::floor(static_cast<float>(r.top) / total),
        std::ceil(static_cast<float>(r.right) / total), std::ceil(static_cast<float>(r.bottom) / total)));
  };
  bool done = false;
  if (kind == COMPLEXREGION)
  {
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size > 0 && size <= 1024)
    {
      alignas(RGNDATA) unsigned char buffer[1024];
      auto* data = reinterpret_cast<RGNDATA*>(buffer);
      if (GetRegionData(region, size, data))
      {
        const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
        for (DWORD i = 0; i < data->rdh.nCount; ++i) add(r[i]);
        done = true;
      }
    }
  }
  if (!done)
  {
    RECT box{};
    GetRgnBox(region, &box);
    add(box);
  }
  DeleteObject(region);
  PAINTSTRUCT ps;
  BeginPaint(mWnd, &ps);
  if (mGLRC)
  {
    ActivateGLContext();
    DrawRegions(rects);
    SwapBuffers(mDC);
    DeactivateGLContext();
  }
  EndPaint(mWnd, &ps);
  ValidateRect(mWnd, nullptr);
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
  case WM_TIMER:
    if (wParam == kDisplayTimerID) OnDisplayTick(0);
    return 0;
  case kVBlankMessage:
    OnDisplayTick(static_cast<unsigned>(wParam));
    return 0;
  case WM_CTLCOLOREDIT:
  {
    if (!mEditWnd) break;
    const IColour& bg = mEditStyle.mTextEntryBGColour;
    const IColour& fg = mEditStyle.mTextEntryFGColour;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, RGB(bg.R, bg.G, bg.B));
    SetTextColor(dc, RGB(fg.R, fg.G, fg.B));
    SetBkMode(dc, OPAQUE);
    SetDCBrushColor(dc, RGB(bg.R, bg.G, bg.B));
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
  }
  case WM_MOUSEMOVE:
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
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
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
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  {
    ReleaseCapture();
    IMouseInfo info = MouseInfoOf(lParam, wParam);
    OnMouseUp({info});
    return 0;
  }
  case WM_LBUTTONDBLCLK:
  {
    if (mPenOrTouch) return 0;
    IMouseInfo info = MouseInfoOf(lParam, wParam);
    if (OnMouseDoubleClick(info.x, info.y, info.ms)) SetCapture(hWnd);
    return 0;
  }
  case WM_MOUSEWHEEL:
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
  {
    const UINT count = LOWORD(wParam);
    auto touch = reinterpret_cast<HTOUCHINPUT>(lParam);
    std::vector<TOUCHINPUT> inputs(count);
    if (count == 0 || !GetTouchInputInfo(touch, count, inputs.data(), sizeof(TOUCHINPUT))) break;
    OnTouchInputs(inputs.data(), static_cast<int>(count));
    CloseTouchInputHandle(touch);
    return 0;
  }
  default:
    break;
  }
  return DefWindowProcW(hWnd, msg, wParam, lParam);
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

// ----- Value entry

void IGraphicsWin::CreatePlatformTextEntry(int valIdx, const ITextStyle& style, const IRect& bounds,
                                           int length, const char* str)
{
  if (mEditWnd || !mWnd) return;
  DWORD align = ES_CENTER;
  if (style.mAlign == kAlignNear) align = ES_LEFT;
  if (style.mAlign == kAlignFar) align = ES_RIGHT;
  const float total = GetTotalScale();
  const int x = static_cast<int>(bounds.L * total);
  const int y = static_cast<int>(bounds.T * total);
  const int w = static_cast<int>(bounds.W() * total) + 1;
  const int h = static_cast<int>(bounds.H() * total) + 1;
  const std::wstring text = Widen(str, 32);
  mEditWnd = CreateWindowW(L"EDIT", text.c_str(),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | ES_MULTILINE |
                               ES_AUTOHSCROLL | align,
                           x, y, w, h, mWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditControlID)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mWnd, GWLP_HINSTANCE)), nullptr);
  if (!mEditWnd) return;
  // The face loaded under the style's font id (else a face of that name),
  // at the entry's height in device pixels.
  LOGFONTW lf{};
  {
    LogFontCache& cache = GetLogFontCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    auto it = cache.fonts.find(style.mFont);
    if (it != cache.fonts.end())
      lf = it->second;
    else
    {
      lf.lfWeight = FW_NORMAL;
      lf.lfCharSet = DEFAULT_CHARSET;
      SetFaceName(lf, style.mFont);
    }
  }
  lf.lfHeight = static_cast<int>(total * style.mSize);
  mEditFont = CreateFontIndirectW(&lf);
  SendMessageW(mEditWnd, WM_SETFONT, reinterpret_cast<WPARAM>(mEditFont), 0);
  mEditParamIdx = valIdx;
  mEditStyle = style;
  mEditRect = bounds;
  SendMessageW(mEditWnd, EM_LIMITTEXT, static_cast<WPARAM>(length > 0 ? length : 0), 0);
  SendMessageW(mEditWnd, EM_SETSEL, 0, -1);
  if (style.mVAlign == kVAlignMiddle)
  {
    RECT fr{0, 0, w, h};
    fr.top = static_cast<LONG>((static_cast<float>(h) - total * style.mSize) / 2.f);
    SendMessageW(mEditWnd, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  }
  SetWindowLongPtrW(mEditWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  mEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(mEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EditProc)));
  SetFocus(mEditWnd);
}

LRESULT CALLBACK IGraphicsWin::EditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto* self = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (!self || !self->mEditProc) return DefWindowProcW(hWnd, msg, wParam, lParam);
  self->HideTooltip(); // a tip over the entry would hide what is typed
  switch (msg)
  {
  case WM_SETFOCUS:
    self->mEditState = kEditFocused;
    break;
  case WM_KILLFOCUS:
    self->mEditState = kEditCommit;
    break;
  case WM_GETDLGCODE:
    if (lParam)
    {
      const MSG* m = reinterpret_cast<const MSG*>(lParam);
      if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
    }
    break;
  case WM_KEYDOWN:
    if (wParam == VK_RETURN)
    {
      self->mEditState = kEditCommit;
      return 0;
    }
    if (wParam == VK_ESCAPE)
    {
      self->mEditState = kEditCancel;
      return 0;
    }
    break;
  case WM_CHAR:
  {
    if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
    if (wParam == VK_BACK) break;
    const IParam* param =
        self->mEditParamIdx >= 0 ? self->GetDelegate()->GetParam(self->mEditParamIdx) : nullptr;
    if (!param) break;
    const wchar_t c = static_cast<wchar_t>(wParam);
    bool ok = c == L'+' || c == L'-' || (c >= L'0' && c <= L'9');
    switch (param->Type())
    {
    case kTypeBool:
    case kTypeInt:
    case kTypeEnum:
      break;
    case kTypeDouble:
      ok = ok || c == L'.';
      break;
    default:
      ok = true;
      break;
    }
    if (!ok) return 0;
    break;
  }
  case WM_COMMAND:
    if (HIWORD(wParam) == 1) self->mEditState = kEditCommit;
    break;
  default:
    break;
  }
  return CallWindowProcW(self->mEditProc, hWnd, msg, wParam, lParam);
}

void IGraphicsWin::DestroyEditWindow()
{
  if (mEditWnd)
  {
    SetWindowLongPtrW(mEditWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEditProc));
    DestroyWindow(mEditWnd);
  }
  if (mEditFont) DeleteObject(mEditFont);
  mEditWnd = nullptr;
  mEditFont = nullptr;
  mEditProc = nullptr;
  mEditState = kEditNone;
  mEditParamIdx = -1;
}

void IGraphicsWin::EndPlatformTextEntry()
{
  DestroyEditWindow();
}

std::string IGraphicsWin::MenuItemText(const IMenu& menu, int idx)
{
  const char* text = menu.GetItemText(idx);
  const int prefix = menu.GetPrefix();
  if (prefix >= 1 && prefix <= 3)
  {
    static const char* const formats[] = {"%1d: %s", "%02d: %s", "%03d: %s"};
    const int n = std::snprintf(nullptr, 0, formats[prefix - 1], idx + 1, text);
    std::string out(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(&out[0], out.size(), formats[prefix - 1], idx + 1, text);
    out.resize(out.size() - 1);
    return out;
  }
  std::string out;
  for (const char* c = text; *c; ++c)
  {
    out.push_back(*c);
    if (*c == '&') out.push_back('&');
  }
  return out;
}

HMENU IGraphicsWin::BuildNativeMenu(IMenu& menu, std::vector<std::pair<IMenu*, int>>& items)
{
  HMENU native = CreatePopupMenu();
  const int count = menu.NItems();
  const int column = menu.GetColumnLength();
  for (int i = 0; i < count; ++i)
  {
    const IMenu::Item* item = menu.GetItem(i);
    UINT flags = MF_STRING;
    if (count < 160 && column > 0 && i > 0 && i % column == 0) flags |= MF_MENUBARBREAK;
    if (item->GetIsSeparator())
    {
      AppendMenuW(native, MF_SEPARATOR | (flags & MF_MENUBARBREAK), 0, nullptr);
      continue;
    }
    if (!item->GetEnabled() || item->GetIsTitle()) flags |= MF_DISABLED | MF_GRAYED;
    if (item->GetChecked()) flags |= MF_CHECKED;
    const std::wstring text = Widen(MenuItemText(menu, i).c_str());
    if (IMenu* sub = item->GetSubmenu())
    {
      HMENU nested = BuildNativeMenu(*sub, items);
      AppendMenuW(native, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(nested), text.c_str());
      continue;
    }
    items.emplace_back(&menu, i);
    AppendMenuW(native, flags, static_cast<UINT_PTR>(items.size()), text.c_str());
  }
  return native;
}

IMenu* IGraphicsWin::CreatePlatformPopupMenu(IMenu& menu, const IRect& bounds, bool& isAsync)
{
  isAsync = false; // tracked here until the user chooses or dismisses
  if (!mWnd) return nullptr;
  std::vector<std::pair<IMenu*, int>> items;
  HMENU native = BuildNativeMenu(menu, items);
  const float total = GetTotalScale();
  POINT p{static_cast<LONG>(std::lround(bounds.L * total)), static_cast<LONG>(std::lround(bounds.B * total))};
  ClientToScreen(mWnd, &p);
  const int id = static_cast<int>(
      TrackPopupMenu(native, TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, mWnd, nullptr));
  IMenu* result = nullptr;
  if (id > 0 && static_cast<size_t>(id) <= items.size())
  {
    result = items[static_cast<size_t>(id - 1)].first;
    result->SetChosenItemIdx(items[static_cast<size_t>(id - 1)].second);
    if (result->HasFunction()) result->ExecFunction();
  }
  DestroyMenu(native);
  InvalidateRect(mWnd, nullptr, FALSE);
  return result;
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

// ----- Dialogs and shell

int IGraphicsWin::ShowMessageBox(const char* str, const char* caption, int type)
{
  HWND owner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  return MessageBoxW(owner, Widen(str).c_str(), Widen(caption).c_str(), static_cast<UINT>(type));
}

void IGraphicsWin::PromptForFile(std::string& fileName, std::string& path, bool save, const char* ext)
{
  wchar_t file[MAX_PATH] = {};
  const std::wstring start = Widen(fileName.c_str());
  lstrcpynW(file, start.c_str(), MAX_PATH);
  const std::wstring dir = Widen(path.c_str());
  const std::wstring extension = Widen(ext);
  std::wstring filter;
  if (!extension.empty())
  {
    filter = L"*." + extension;
    filter.push_back(L'\0');
    filter += L"*." + extension;
    filter.push_back(L'\0');
  }
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  fileName.clear();
  path.clear();
  if (!ok) return;
  fileName = Narrow(file);
  path = fileName.substr(0, ofn.nFileOffset);
}

bool IGraphicsWin::PromptForDirectory(std::string& dir)
{
  BROWSEINFOW bi{};
  bi.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  bi.lpszTitle = L"Choose a Directory";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  dir.clear();
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  if (!list) return false;
  wchar_t buffer[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(list, buffer) != FALSE;
  CoTaskMemFree(list);
  if (ok) dir = Narrow(buffer);
  return ok;
}

namespace
{
struct ColourPromptData
{
  std::wstring title;
  COLORREF initial;
};

UINT_PTR CALLBACK ColourHook(HWND dlg, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_INITDIALOG)
  {
    const auto* cc = reinterpret_cast<const CHOOSECOLORW*>(lParam);
    const auto* data = reinterpret_cast<const ColourPromptData*>(cc->lCustData);
    if (!data->title.empty()) SetWindowTextW(dlg, data->title.c_str());
    const UINT setRGB = RegisterWindowMessageW(L"commdlg_SetRGBColor");
    SendMessageW(dlg, setRGB, 0, static_cast<LPARAM>(data->initial));
  }
  return 0;
}
} // namespace

bool IGraphicsWin::PromptForColour(IColour& colour, const char* prompt)
{
  static COLORREF custom[16] = {}; // the dialog's custom colours, kept between prompts (UI thread)
  ColourPromptData data{Widen(prompt), RGB(colour.R, colour.G, colour.B)};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = mWnd ? GetAncestor(mWnd, GA_ROOT) : nullptr;
  cc.rgbResult = data.initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_ANYCOLOR | CC_FULLOPEN | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  cc.lpfnHook = ColourHook;
  cc.lCustData = reinterpret_cast<LPARAM>(&data);
  if (!ChooseColorW(&cc)) return false;
  colour.R = GetRValue(cc.rgbResult);
  colour.G = GetGValue(cc.rgbResult);
  colour.B = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure)
{
  if (!url || !*url) return false;
  if (confirmMsg && ShowMessageBox(confirmMsg, msgWindowTitle, MB_YESNO) != IDYES) return false;
  DWORD flags = 0;
  if (InternetGetConnectedState(&flags, 0))
  {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(mWnd, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errMsgOnFailure) ShowMessageBox(errMsgOnFailure, msgWindowTitle, MB_OK);
  return false;
}

bool IGraphicsWin::RevealPathInExplorerOrFinder(const char* path, bool select)
{
  if (!path || !*path) return false;
  const std::wstring p = Widen(path);
  const std::wstring args = select ? L"/select," + p : p;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(mWnd, L"open", L"explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

// ----- Fonts

bool IGraphicsWin::ReadFontNames(const void* data, size_t size, int faceIdx, FontNames& names)
{
  names = FontNames();
  if (!data || faceIdx < 0) return false;
  const FontBytes f{static_cast<const unsigned char*>(data), size};
  size_t face = 0;
  if (!f.Has(0, 12)) return false;
  if (std::memcmp(f.p, "ttcf", 4) == 0)
  {
    const size_t count = Be32(f.p + 8);
    if (static_cast<size_t>(faceIdx) >= count || !f.Has(12, count * 4)) return false;
    face = Be32(f.p + 12 + static_cast<size_t>(faceIdx) * 4);
  }
  else if (faceIdx != 0)
    return false;

  size_t nameAt = 0, nameLength = 0;
  if (!FindTable(f, face, "name", nameAt, nameLength) || nameLength < 6) return false;
  const unsigned char* table = f.p + nameAt;
  const size_t count = Be16(table + 2);
  const size_t strings = Be16(table + 4);
  if (6 + count * 12 > nameLength) return false;
  // Name ids 1 family, 2 subfamily, 16 typographic family.
  std::string found[17];
  int rank[17] = {};
  for (size_t i = 0; i < count; ++i)
  {
    const unsigned char* r = table + 6 + i * 12;
    const unsigned id = Be16(r + 6);
    if (id != 1 && id != 2 && id != 16) continue;
    const int k = NameRank(Be16(r), Be16(r + 2), Be16(r + 4));
    if (k <= rank[id]) continue;
    const size_t length = Be16(r + 8);
    const size_t offset = strings + Be16(r + 10);
    if (offset > nameLength || length > nameLength - offset) continue;
    std::string text = NameText(table + offset, length, Be16(r));
    if (text.empty()) continue;
    found[id] = std::move(text);
    rank[id] = k;
  }
  if (found[1].empty() && found[16].empty()) return false;
  names.gdiFamily = found[1].empty() ? found[16] : found[1];
  names.family = found[16].empty() ? found[1] : found[16];

  bool bold = false;
  size_t at = 0, length = 0;
  if (FindTable(f, face, "OS/2", at, length) && length >= 64)
  {
    const unsigned weight = Be16(f.p + at + 4);
    if (weight >= 1 && weight <= 1000) names.weight = static_cast<int>(weight);
    const unsigned selection = Be16(f.p + at + 62);
    names.italic = (selection & 0x0001u) != 0;
    bold = (selection & 0x0020u) != 0;
  }
  else if (FindTable(f, face, "head", at, length) && length >= 54)
  {
    const unsigned macStyle = Be16(f.p + at + 44);
    bold = (macStyle & 1u) != 0;
    names.italic = (macStyle & 2u) != 0;
    names.weight = bold ? FW_BOLD : FW_NORMAL;
  }
  names.style = bold ? "Bold" : names.italic ? "Italic" : "Regular";
  for (const char* style : kStyleNames)
    if (found[2] == style) names.style = style;
  return true;
}

std::unique_ptr<IGraphicsWin::Font> IGraphicsWin::Font::FromBytes(const void* data, int size, bool copy)
{
  if (!data || size <= 0) return nullptr;
  FontNames names;
  if (!ReadFontNames(data, static_cast<size_t>(size), 0, names))
  {
    Trace(TRACELOC, "not a usable font: no readable name table in %d bytes", size);
    return nullptr;
  }
  std::unique_ptr<Font> font(new Font());
  if (copy)
  {
    const auto* p = static_cast<const unsigned char*>(data);
    font->mBytes.assign(p, p + size);
    data = font->mBytes.data();
  }
  font->mData = data;
  font->mSize = size;
  // Private to the process and not enumerable: GDI (the value entry) can
  // select the face by its legacy family name.
  DWORD count = 0;
  font->mInstalled = AddFontMemResourceEx(const_cast<void*>(data), static_cast<DWORD>(size), nullptr, &count);
  // The backend draws from the bytes either way; only the value entry
  // falls back to another face.
  if (!font->mInstalled)
    Trace(TRACELOC, "font %s could not be installed for GDI (error %lu)", names.family.c_str(),
          GetLastError());
  font->mFamily = names.family;
  font->mStyle = names.style;
  LOGFONTW& lf = font->mLogFont;
  lf.lfWeight = names.weight;
  lf.lfItalic = names.italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  SetFaceName(lf, names.gdiFamily);
  return font;
}

std::unique_ptr<IGraphicsWin::Font> IGraphicsWin::Font::FromSystem(const char* family, EFontStyle style)
{
  if (!family || !*family) return nullptr;
  LOGFONTW lf{};
  lf.lfWeight = style == kFontStyleBold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style == kFontStyleItalic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  SetFaceName(lf, family);
  // GDI always selects something: the load succeeds only when that is the
  // family asked for.
  std::wstring asked(lf.lfFaceName);
  std::wstring selected = Widen(SelectedFace(lf).c_str());
  if (selected.empty() || lstrcmpiW(selected.c_str(), asked.c_str()) != 0)
  {
    Trace(TRACELOC, "font family %s is not on this system", family);
    return nullptr;
  }

  std::unique_ptr<Font> font(new Font());
  font->mSystem = true;
  font->mLogFont = lf;
  font->mFamily = family;
  font->mStyle = kStyleNames[style >= kFontStyleNormal && style <= kFontStyleItalic ? style : 0];
  HFONT gdi = CreateFontIndirectW(&lf);
  HDC dc = gdi ? CreateCompatibleDC(nullptr) : nullptr;
  if (dc)
  {
    HGDIOBJ previous = SelectObject(dc, gdi);
    // The whole file; a collection's faces are only reachable through its
    // 'ttcf' header.
    DWORD table = 0;
    DWORD size = GetFontData(dc, table, 0, nullptr, 0);
    const DWORD kCollection = 0x66637474; // 'ttcf' as GDI reads table tags
    if (size == GDI_ERROR || size == 0)
    {
      table = kCollection;
      size = GetFontData(dc, table, 0, nullptr, 0);
    }
    if (size != GDI_ERROR && size > 0)
    {
      font->mBytes.resize(size);
      if (GetFontData(dc, table, 0, font->mBytes.data(), size) != size) font->mBytes.clear();
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  if (gdi) DeleteObject(gdi);
  if (font->mBytes.empty())
  {
    Trace(TRACELOC, "font family %s gives no bytes", family);
    return nullptr;
  }
  font->mData = font->mBytes.data();
  font->mSize = static_cast<int>(font->mBytes.size());
  // In a collection, the face GDI selected.
  FontNames names;
  for (int i = 0; ReadFontNames(font->mData, font->mBytes.size(), i, names); ++i)
    if (lstrcmpiW(Widen(names.gdiFamily.c_str()).c_str(), asked.c_str()) == 0 ||
        lstrcmpiW(Widen(names.family.c_str()).c_str(), asked.c_str()) == 0)
    {
      font->mFaceIdx = i;
      break;
    }
  return font;
}

IGraphicsWin::Font::~Font()
{
  if (mInstalled) RemoveFontMemResourceEx(mInstalled);
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const char* fontName, EFontStyle style)
{
  return Font::FromSystem(fontName, style);
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const char* fileNameOrResID)
{
  if (!fileNameOrResID || !*fileNameOrResID) return nullptr;
  EmbeddedResource res = LoadEmbeddedResource(fileNameOrResID, "TTF", GetWinModuleHandle());
  if (res) return Font::FromBytes(res.data, static_cast<int>(res.size), false);
  std::ifstream f(fileNameOrResID, std::ios::binary);
  if (!f) return nullptr;
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (bytes.size() < kMinEmbeddedResourceSize) return nullptr;
  return Font::FromBytes(bytes.data(), static_cast<int>(bytes.size()), true);
}

PlatformFontPtr IGraphicsWin::LoadPlatformFont(const char*, const void* data, int dataSize)
{
  return Font::FromBytes(data, dataSize, true);
}

void IGraphicsWin::CachePlatformFont(const char* fontID, const PlatformFontPtr& font)
{
  // The backend keeps the bytes (process-wide, under its own lock); the
  // value entry needs the GDI description by id.
  const auto* winFont = dynamic_cast<const Font*>(font.get());
  if (!fontID || !winFont) return;
  LogFontCache& cache = GetLogFontCache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.fonts[fontID] = winFont->GetLogFont();
}

} // namespace igraphics
} // namespace iplug
