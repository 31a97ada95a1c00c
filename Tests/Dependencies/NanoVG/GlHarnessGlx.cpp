#include "GlHarness.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace kvg_test
{
namespace
{
struct Glx
{
  Display* display = nullptr;
  GLXPbuffer pbuffer = 0;
  GLXContext context = nullptr;
  std::string error;
};

Glx& Instance()
{
  static Glx glx = []
  {
    Glx g;
    g.display = XOpenDisplay(nullptr);
    if (!g.display)
    {
      g.error = "no X display: set DISPLAY, or run the tests through ./kestrine, which starts Xvfb";
      return g;
    }
    const int attrs[] = {GLX_DRAWABLE_TYPE,
                         GLX_PBUFFER_BIT,
                         GLX_RENDER_TYPE,
                         GLX_RGBA_BIT,
                         GLX_RED_SIZE,
                         8,
                         GLX_GREEN_SIZE,
                         8,
                         GLX_BLUE_SIZE,
                         8,
                         GLX_ALPHA_SIZE,
                         8,
                         GLX_STENCIL_SIZE,
                         8,
                         None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(g.display, DefaultScreen(g.display), attrs, &count);
    if (!configs || count == 0)
    {
      g.error = "the X display offers no GLX pbuffer configuration";
      return g;
    }
    const int pbufferAttrs[] = {GLX_PBUFFER_WIDTH, 16, GLX_PBUFFER_HEIGHT, 16, None};
    g.pbuffer = glXCreatePbuffer(g.display, configs[0], pbufferAttrs);
    g.context = glXCreateNewContext(g.display, configs[0], GLX_RGBA_TYPE, nullptr, True);
    XFree(configs);
    if (!g.pbuffer || !g.context) g.error = "no GLX pbuffer or context";
    return g;
  }();
  return glx;
}
} // namespace

bool MakeTestGlContextCurrent(std::string* error)
{
  Glx& g = Instance();
  if (!g.error.empty() || !glXMakeContextCurrent(g.display, g.pbuffer, g.pbuffer, g.context))
  {
    if (error) *error = g.error.empty() ? "glXMakeContextCurrent failed" : g.error;
    return false;
  }
  return true;
}

void ReleaseTestGlContext()
{
  Glx& g = Instance();
  if (g.display) glXMakeContextCurrent(g.display, None, None, nullptr);
}

} // namespace kvg_test
