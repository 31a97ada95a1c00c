// Kestrine's own stand-in for the NanoVG library: its OpenGL 2 renderer.
// See nanovg.h for the scope of the layer.
//
// The renderer needs OpenGL 2.1 (GLSL 1.10) with framebuffer objects and a
// stencil buffer in every framebuffer it draws into. Entry points above
// OpenGL 1.1 are looked up through the current context (glXGetProcAddress or
// wglGetProcAddress), so the OpenGL context must be current when a context is
// created, used and deleted.
#ifndef KESTRINE_NANOVG_GL_H
#define KESTRINE_NANOVG_GL_H

#include "nanovg.h"

#ifdef __cplusplus
extern "C"
{
#endif

  enum NVGcreateFlags
  {
    NVG_ANTIALIAS = 1 << 0,       // half-pixel fringe on fills and strokes
    NVG_STENCIL_STROKES = 1 << 1, // accepted; strokes are always stencilled here
    NVG_DEBUG = 1 << 2,           // report OpenGL errors after each frame on stderr
  };

  // Returns null (and prints why on stderr) when no OpenGL context is current,
  // the context lacks OpenGL 2 entry points or framebuffer objects, or the
  // shaders do not build.
  NVGcontext* nvgCreateGL2(int flags);
  void nvgDeleteGL2(NVGcontext* ctx);

  // The OpenGL texture name behind an image (0 for an unknown id).
  unsigned int nvglImageHandleGL2(NVGcontext* ctx, int image);

#ifdef __cplusplus
}
#endif

#endif
