// Entry-point lookup through WGL (Windows, opengl32).
#include <windows.h>

#include "GlFunctions.h"

namespace kvg
{

bool HasCurrentGlContext()
{
  return wglGetCurrentContext() != nullptr;
}

void* GetGlProcAddress(const char* name)
{
  return reinterpret_cast<void*>(wglGetProcAddress(name));
}

} // namespace kvg
