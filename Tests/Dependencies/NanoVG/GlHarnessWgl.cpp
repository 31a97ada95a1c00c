#include "GlHarness.h"

#include <windows.h>

namespace kvg_test
{
namespace
{
struct Wgl
{
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
  std::string error;
};

Wgl& Instance()
{
  static Wgl wgl = []
  {
    Wgl w;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"KvgTestWindow";
    RegisterClassW(&wc);
    // Never shown: it only carries the pixel format for the context.
    w.window = CreateWindowExW(0, wc.lpszClassName, L"kvg tests", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                               nullptr, instance, nullptr);
    if (!w.window)
    {
      w.error = "no hidden window";
      return w;
    }
    w.dc = GetDC(w.window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(w.dc, &pfd);
    if (!format || !SetPixelFormat(w.dc, format, &pfd))
    {
      w.error = "no OpenGL pixel format";
      return w;
    }
    w.context = wglCreateContext(w.dc);
    if (!w.context) w.error = "wglCreateContext failed";
    return w;
  }();
  return wgl;
}
} // namespace

bool MakeTestGlContextCurrent(std::string* error)
{
  Wgl& w = Instance();
  if (!w.error.empty() || !wglMakeCurrent(w.dc, w.context))
  {
    if (error) *error = w.error.empty() ? "wglMakeCurrent failed" : w.error;
    return false;
  }
  return true;
}

void ReleaseTestGlContext()
{
  wglMakeCurrent(nullptr, nullptr);
}

} // namespace kvg_test
