// One offscreen OpenGL context for the vector layer's tests: a GLX pbuffer
// under X11, a hidden window with WGL on Windows (a file of its own per
// platform). Tests draw into framebuffer objects, never into the window.
#pragma once

#include <string>

namespace kvg_test
{

// Creates the context on first use and makes it current on the calling
// thread; false with the reason in *error when there is none (no display).
bool MakeTestGlContextCurrent(std::string* error);
// Leaves the calling thread without a current OpenGL context.
void ReleaseTestGlContext();

} // namespace kvg_test
