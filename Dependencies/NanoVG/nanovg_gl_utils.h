// Kestrine's own stand-in for the NanoVG library: offscreen framebuffers.
// See nanovg.h for the scope of the layer.
#ifndef KESTRINE_NANOVG_GL_UTILS_H
#define KESTRINE_NANOVG_GL_UTILS_H

#include "nanovg.h"

#ifdef __cplusplus
extern "C"
{
#endif

  // A framebuffer with an RGBA colour texture (also an image of the context, so
  // it can be drawn with nvgImagePattern) and a depth-stencil renderbuffer. The
  // texture's rows are bottom-up as OpenGL stores them: draw it with
  // NVG_IMAGE_FLIPY (and NVG_IMAGE_PREMULTIPLIED, since the layer draws
  // premultiplied colour) given at creation.
  typedef struct NVGLUframebuffer
  {
    NVGcontext* ctx;
    unsigned int fbo;
    unsigned int rbo;
    unsigned int texture;
    int image;
  } NVGLUframebuffer;

  // Returns null when the size is 0 or too large, or the framebuffer is
  // incomplete. Leaves the previously bound framebuffer bound.
  NVGLUframebuffer* nvgluCreateFramebuffer(NVGcontext* ctx, int w, int h, int imageFlags);
  // Binds fb, or the window's framebuffer (0) when fb is null.
  void nvgluBindFramebuffer(NVGLUframebuffer* fb);
  void nvgluDeleteFramebuffer(NVGLUframebuffer* fb);

#ifdef __cplusplus
}
#endif

#endif
