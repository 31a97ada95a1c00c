// The host window on Windows: a top-level Win32 window of fixed size whose
// client area the editor fills with its child window. Its messages, and the
// editor's, are dispatched by HandleEvents on the thread that made it.
#include "AAXHostWindow.h"

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

namespace aaxhost
{

// ---------------------------------------------------------------------------
// PrivateDisplay: Windows always has its desktop (under Wine, Wine's own
// display must be there before the process starts).

std::unique_ptr<PrivateDisplay> PrivateDisplay::StartIfNeeded(std::string&)
{
  return std::unique_ptr<PrivateDisplay>(new PrivateDisplay);
}

PrivateDisplay::~PrivateDisplay() = default;

// ---------------------------------------------------------------------------
// HostWindow

namespace
{
constexpr wchar_t kClassName[] = L"AAXHostWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

std::wstring Widen(const std::string& s)
{
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_CLOSE)
  {
    // The host decides when the window goes: after the editor has closed.
    auto* closed = reinterpret_cast<bool*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (closed) *closed = true;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

struct HostWindow::Impl
{
  HWND hwnd = nullptr;
  int width = 0;
  int height = 0;
  bool closed = false;
  bool left = false;
  bool right = false;

  void SetClientSize(int w, int h)
  {
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, kStyle, FALSE);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

HostWindow::HostWindow() : mImpl(new Impl) {}

HostWindow::~HostWindow()
{
  if (mImpl->hwnd) DestroyWindow(mImpl->hwnd);
}

std::unique_ptr<HostWindow> HostWindow::Create(int width, int height, const std::string& title,
                                               std::string& error)
{
  HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(module, kClassName, &wc))
  {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc))
    {
      error = "cannot register the host window class (error " + std::to_string(GetLastError()) + ")";
      return nullptr;
    }
  }
  std::unique_ptr<HostWindow> w(new HostWindow);
  Impl& x = *w->mImpl;
  x.width = std::max(1, width);
  x.height = std::max(1, height);
  RECT r{0, 0, x.width, x.height};
  AdjustWindowRect(&r, kStyle, FALSE);
  x.hwnd = CreateWindowExW(0, kClassName, Widen(title).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, module, nullptr);
  if (!x.hwnd)
  {
    error = "cannot open the host window (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  SetWindowLongPtrW(x.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&x.closed));
  ShowWindow(x.hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(x.hwnd);
  return w;
}

bool HostWindow::DisplayAvailable(std::string&)
{
  return true;
}

void* HostWindow::NativeHandle() const
{
  return mImpl->hwnd;
}

void HostWindow::Resize(int width, int height)
{
  mImpl->width = std::max(1, width);
  mImpl->height = std::max(1, height);
  mImpl->SetClientSize(mImpl->width, mImpl->height);
}

int HostWindow::Width() const
{
  return mImpl->width;
}

int HostWindow::Height() const
{
  return mImpl->height;
}

bool HostWindow::HandleEvents()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
  {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return !mImpl->closed;
}

bool HostWindow::IsClosed() const
{
  return mImpl->closed;
}

uintptr_t HostWindow::EditorWindow() const
{
  return reinterpret_cast<uintptr_t>(GetWindow(mImpl->hwnd, GW_CHILD));
}

bool HostWindow::EditorSize(int& width, int& height) const
{
  width = height = 0;
  HWND child = reinterpret_cast<HWND>(EditorWindow());
  RECT r{};
  if (!child || !GetClientRect(child, &r)) return false;
  width = r.right - r.left;
  height = r.bottom - r.top;
  return true;
}

namespace
{
// The picture an OpenGL window last presented: its front buffer (or, where
// that reads empty, its back buffer), read through a context of the host's
// own made on the window's device context (the editor set its pixel
// format). Under Wine this is the only way to the picture: the window is
// drawn into an X window off the screen, which GDI does not reach. The editor's own context is left alone;
// whatever context was current on this thread is made current again.
bool ReadFrontBuffer(HWND window, int w, int h, Picture& picture)
{
  HDC dc = GetDC(window);
  if (!dc) return false;
  bool ok = false;
  if (GetPixelFormat(dc) != 0)
  {
    HGLRC previousContext = wglGetCurrentContext();
    HDC previousDC = wglGetCurrentDC();
    HGLRC context = wglCreateContext(dc);
    if (context && wglMakeCurrent(dc, context))
    {
      std::vector<uint8_t> bottomUp(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      auto read = [&](GLenum buffer)
      {
        glReadBuffer(buffer);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        return glGetError() == GL_NO_ERROR &&
               std::any_of(bottomUp.begin(), bottomUp.end(), [](uint8_t b) { return b != 0; });
      };
      // Under Wine the front buffer of a child window's offscreen drawable
      // reads empty, while the back buffer still holds the frame the swap
      // presented (the editor presents its whole picture every frame).
      ok = read(GL_FRONT) || read(GL_BACK);
      if (ok)
      {
        picture.width = w;
        picture.height = h;
        picture.rgba.resize(bottomUp.size());
        const size_t row = static_cast<size_t>(w) * 4;
        for (int y = 0; y < h; ++y)
          std::copy_n(bottomUp.data() + static_cast<size_t>(h - 1 - y) * row, row,
                      picture.rgba.data() + static_cast<size_t>(y) * row);
        // The window shows no transparency.
        for (size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 255;
      }
      wglMakeCurrent(previousDC, previousContext);
    }
    if (context) wglDeleteContext(context);
  }
  ReleaseDC(window, dc);
  return ok;
}
} // namespace

bool HostWindow::CaptureEditor(Picture& picture, std::string& error)
{
  HWND child = reinterpret_cast<HWND>(EditorWindow());
  int w = 0, h = 0;
  if (!child || !EditorSize(w, h) || w <= 0 || h <= 0)
  {
    error = "the editor shows no window inside the host's";
    return false;
  }
  if (ReadFrontBuffer(child, w, h, picture)) return true;
  HDC source = GetDC(child);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h; // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap && bits;
  if (ok)
  {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, w, h, source, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, old);
  }
  if (ok)
  {
    picture.width = w;
    picture.height = h;
    picture.rgba.assign(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 255);
    const auto* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h); ++i)
    {
      picture.rgba[i * 4 + 0] = bgra[i * 4 + 2];
      picture.rgba[i * 4 + 1] = bgra[i * 4 + 1];
      picture.rgba[i * 4 + 2] = bgra[i * 4 + 0];
    }
  }
  else
    // Under Wine an OpenGL child window is drawn into an X window of its own
    // off the screen, which GDI does not reach.
    error = "cannot read the editor window's picture through GDI (under Wine its OpenGL picture is drawn "
            "off screen)";
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(child, source);
  return ok;
}

bool HostWindow::SendMouse(EMouse what, int x, int y, uint32_t modifiers)
{
  Impl& s = *mImpl;
  HWND child = reinterpret_cast<HWND>(EditorWindow());
  if (!child) return false;
  // Mouse messages carry Shift and Control; the Alt key is read from the
  // keyboard state, which a posted message cannot set.
  auto keys = [&]
  {
    WPARAM k = 0;
    if (modifiers & eModShift) k |= MK_SHIFT;
    if (modifiers & eModControl) k |= MK_CONTROL;
    if (s.left) k |= MK_LBUTTON;
    if (s.right) k |= MK_RBUTTON;
    return k;
  };
  const LPARAM at = MAKELPARAM(x, y);
  switch (what)
  {
  case EMouse::eMove:
    return SendMessageW(child, WM_MOUSEMOVE, keys(), at), true;
  case EMouse::eLeftDown:
    s.left = true;
    return SendMessageW(child, WM_LBUTTONDOWN, keys(), at), true;
  case EMouse::eLeftUp:
    s.left = false;
    return SendMessageW(child, WM_LBUTTONUP, keys(), at), true;
  case EMouse::eRightDown:
    s.right = true;
    return SendMessageW(child, WM_RBUTTONDOWN, keys(), at), true;
  case EMouse::eRightUp:
    s.right = false;
    return SendMessageW(child, WM_RBUTTONUP, keys(), at), true;
  case EMouse::eWheelUp:
  case EMouse::eWheelDown:
  {
    POINT p{x, y};
    ClientToScreen(child, &p);
    const short delta = what == EMouse::eWheelUp ? WHEEL_DELTA : -WHEEL_DELTA;
    return SendMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(keys(), delta), MAKELPARAM(p.x, p.y)), true;
  }
  case EMouse::eLeftDoubleClick:
    SendMessageW(child, WM_LBUTTONDOWN, keys() | MK_LBUTTON, at);
    SendMessageW(child, WM_LBUTTONUP, keys(), at);
    SendMessageW(child, WM_LBUTTONDBLCLK, keys() | MK_LBUTTON, at);
    SendMessageW(child, WM_LBUTTONUP, keys(), at);
    return true;
  }
  return false;
}

bool HostWindow::SendKeys(const std::string& text)
{
  HWND child = reinterpret_cast<HWND>(EditorWindow());
  if (!child) return false;
  for (char c : text)
  {
    if (c == '\r' || c == '\b' || c == '\x1b')
    {
      const WPARAM key = c == '\r' ? VK_RETURN : c == '\b' ? VK_BACK : VK_ESCAPE;
      SendMessageW(child, WM_KEYDOWN, key, 1);
      SendMessageW(child, WM_CHAR, static_cast<WPARAM>(c), 1);
      SendMessageW(child, WM_KEYUP, key, 1);
    }
    else if (c >= 0x20 && c < 0x7f)
      SendMessageW(child, WM_CHAR, static_cast<WPARAM>(c), 1);
    else
      return false;
  }
  return true;
}

} // namespace aaxhost
