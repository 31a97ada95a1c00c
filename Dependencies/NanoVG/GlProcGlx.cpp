// Entry-point lookup through GLX (Linux and other X11 systems).
#include "GlFunctions.h"

#include <GL/glx.h>

namespace kvg
{

bool HasCurrentGlContext()
{
  return glXGetCurrentContext() != nullptr;
}

void* GetGlProcAddress(const char* name)
{
  return reinterpret_cast<void*>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace kvg
