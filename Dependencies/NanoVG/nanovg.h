// Kestrine's own stand-in for the NanoVG vector drawing library.
//
// The graphics backend draws through the NanoVG programming interface with its
// OpenGL 2 renderer, font stash and image loading. That library is not in the
// package registries this project may use, so this folder holds the project's
// own small implementation of the operations the backend calls, written from
// what each operation means (not from the library's code). Names, types and
// constants follow the library's public interface so that the backend reads
// as it would against the real thing.
//
// What it does:
// - frames with a device pixel ratio; state stack (save, restore, reset);
// - paths from move/line/cubic/quadratic/arc/arcTo segments, rectangles,
//   rounded rectangles, ellipses and circles; per-subpath winding (solid or
//   hole);
// - fills (non-zero with each subpath's winding enforced, or true even-odd
//   through nvgFillRule) and strokes (width, butt/round/square caps,
//   miter/round/bevel joins, miter limit), all drawn stencil-then-cover with a
//   half-pixel antialiasing fringe outside the shape;
// - paints: solid colours, two-colour linear and radial gradients, image
//   patterns; global alpha; antialiased scissor (also rotated); transforms;
// - blend factors per draw call (nvgGlobalCompositeBlendFunc[Separate]) and the
//   usual composite operations;
// - RGBA and alpha images from memory, PNG/JPEG/... decoded with stb_image from
//   memory or a file (dimensions above 16384 are refused before decoding);
// - fonts from memory or a file (stb_truetype), a glyph atlas packed with
//   stb_rect_pack, single-line text with alignment, text bounds and metrics.
//
// What it leaves out: box gradients, skew, dashes, multi-line text boxes and
// line breaking, glyph positions, font blur, letter spacing and line height,
// fallback fonts, mipmaps, and renderers other than OpenGL 2.1 / GLSL 1.10.
// Fill antialiasing only spreads outward (a pixel whose centre lies inside a
// shape is fully covered), so edges are up to half a pixel heavier than exact
// area coverage. A glyph atlas that fills up (1024 x 1024 pixels) is emptied at
// the next frame; glyphs that do not fit in the current frame are skipped.
// Glyphs larger than 256 pixels are drawn from 256-pixel glyphs, scaled.
// Font bytes are checked only as far as their table directory; the tables
// themselves are trusted, as the project's own fonts are.
//
// Threads: a context belongs to the thread whose OpenGL context is current
// while it is used; nothing here locks.
#ifndef KESTRINE_NANOVG_H
#define KESTRINE_NANOVG_H

#ifdef __cplusplus
extern "C"
{
#endif

  typedef struct NVGcontext NVGcontext;

  typedef struct NVGcolor
  {
    float r, g, b, a;
  } NVGcolor;

  // A paint: how a fill, stroke or text call colours its pixels. xform maps the
  // paint's own space into user space; what the paint space means depends on the
  // kind (see nvgLinearGradient, nvgRadialGradient, nvgImagePattern).
  typedef struct NVGpaint
  {
    float xform[6];
    float extent[2];
    float radius[2];
    NVGcolor innerColor;
    NVGcolor outerColor;
    int image;
    int kind;
  } NVGpaint;

  enum NVGwinding
  {
    NVG_CCW = 1, // solid shapes
    NVG_CW = 2,  // holes
  };

  enum NVGsolidity
  {
    NVG_SOLID = 1,
    NVG_HOLE = 2,
  };

  // Kestrine extension: how fills combine overlapping subpaths.
  enum NVGfillRule
  {
    NVG_NONZERO = 0, // each subpath turned to its winding, then non-zero
    NVG_EVENODD = 1, // odd crossings are inside, windings ignored
  };

  enum NVGlineCap
  {
    NVG_BUTT,
    NVG_ROUND,
    NVG_SQUARE,
    NVG_BEVEL,
    NVG_MITER,
  };

  enum NVGalign
  {
    NVG_ALIGN_LEFT = 1 << 0,
    NVG_ALIGN_CENTER = 1 << 1,
    NVG_ALIGN_RIGHT = 1 << 2,
    NVG_ALIGN_TOP = 1 << 3,
    NVG_ALIGN_MIDDLE = 1 << 4,
    NVG_ALIGN_BOTTOM = 1 << 5,
    NVG_ALIGN_BASELINE = 1 << 6,
  };

  enum NVGblendFactor
  {
    NVG_ZERO = 1 << 0,
    NVG_ONE = 1 << 1,
    NVG_SRC_COLOR = 1 << 2,
    NVG_ONE_MINUS_SRC_COLOR = 1 << 3,
    NVG_DST_COLOR = 1 << 4,
    NVG_ONE_MINUS_DST_COLOR = 1 << 5,
    NVG_SRC_ALPHA = 1 << 6,
    NVG_ONE_MINUS_SRC_ALPHA = 1 << 7,
    NVG_DST_ALPHA = 1 << 8,
    NVG_ONE_MINUS_DST_ALPHA = 1 << 9,
    NVG_SRC_ALPHA_SATURATE = 1 << 10,
  };

  enum NVGcompositeOperation
  {
    NVG_SOURCE_OVER,
    NVG_SOURCE_IN,
    NVG_SOURCE_OUT,
    NVG_ATOP,
    NVG_DESTINATION_OVER,
    NVG_DESTINATION_IN,
    NVG_DESTINATION_OUT,
    NVG_DESTINATION_ATOP,
    NVG_LIGHTER,
    NVG_COPY,
    NVG_XOR,
  };

  enum NVGimageFlags
  {
    NVG_IMAGE_GENERATE_MIPMAPS = 1 << 0, // accepted and ignored
    NVG_IMAGE_REPEATX = 1 << 1,
    NVG_IMAGE_REPEATY = 1 << 2,
    NVG_IMAGE_FLIPY = 1 << 3,         // rows stored bottom-up (framebuffer textures)
    NVG_IMAGE_PREMULTIPLIED = 1 << 4, // colour already multiplied by alpha
    NVG_IMAGE_NEAREST = 1 << 5,
  };

// The largest image side accepted by the image functions (before the driver's
// own limit, which may be smaller).
#define NVG_MAX_IMAGE_SIZE 16384

  // Frames. Coordinates are in units of windowWidth x windowHeight; the pixels
  // drawn are those units times devicePixelRatio. Drawing calls are recorded and
  // rendered by nvgEndFrame into the framebuffer bound at that moment (with a
  // stencil buffer); nvgCancelFrame drops them.
  void nvgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio);
  void nvgCancelFrame(NVGcontext* ctx);
  void nvgEndFrame(NVGcontext* ctx);

  // Composite operation and blend factors (NVGblendFactor) for the draw calls
  // that follow; kept in the state stack. Source over is (NVG_ONE,
  // NVG_ONE_MINUS_SRC_ALPHA) on premultiplied colour.
  void nvgGlobalCompositeOperation(NVGcontext* ctx, int op);
  void nvgGlobalCompositeBlendFunc(NVGcontext* ctx, int sfactor, int dfactor);
  void nvgGlobalCompositeBlendFuncSeparate(NVGcontext* ctx, int srcRGB, int dstRGB, int srcAlpha,
                                           int dstAlpha);

  // Colours (components 0..1 or 0..255).
  NVGcolor nvgRGB(unsigned char r, unsigned char g, unsigned char b);
  NVGcolor nvgRGBf(float r, float g, float b);
  NVGcolor nvgRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
  NVGcolor nvgRGBAf(float r, float g, float b, float a);
  NVGcolor nvgTransRGBA(NVGcolor c, unsigned char a);
  NVGcolor nvgTransRGBAf(NVGcolor c, float a);
  NVGcolor nvgLerpRGBA(NVGcolor c0, NVGcolor c1, float u);

  // State stack (at most 32 deep; deeper saves are ignored).
  void nvgSave(NVGcontext* ctx);
  void nvgRestore(NVGcontext* ctx);
  void nvgReset(NVGcontext* ctx);

  // Render style.
  void nvgShapeAntiAlias(NVGcontext* ctx, int enabled);
  void nvgStrokeColor(NVGcontext* ctx, NVGcolor color);
  void nvgStrokePaint(NVGcontext* ctx, NVGpaint paint);
  void nvgFillColor(NVGcontext* ctx, NVGcolor color);
  void nvgFillPaint(NVGcontext* ctx, NVGpaint paint);
  void nvgMiterLimit(NVGcontext* ctx, float limit);
  void nvgStrokeWidth(NVGcontext* ctx, float size);
  void nvgLineCap(NVGcontext* ctx, int cap);   // NVG_BUTT, NVG_ROUND, NVG_SQUARE
  void nvgLineJoin(NVGcontext* ctx, int join); // NVG_MITER, NVG_ROUND, NVG_BEVEL
  void nvgGlobalAlpha(NVGcontext* ctx, float alpha);
  void nvgFillRule(NVGcontext* ctx, int rule); // NVGfillRule (Kestrine extension)

  // Transforms. A transform is [a b c d e f]: x' = a x + c y + e, y' = b x + d y + f.
  void nvgResetTransform(NVGcontext* ctx);
  void nvgTransform(NVGcontext* ctx, float a, float b, float c, float d, float e, float f);
  void nvgTranslate(NVGcontext* ctx, float x, float y);
  void nvgRotate(NVGcontext* ctx, float angle); // radians, clockwise on screen
  void nvgScale(NVGcontext* ctx, float x, float y);
  void nvgCurrentTransform(NVGcontext* ctx, float* xform);
  void nvgTransformIdentity(float* dst);
  void nvgTransformTranslate(float* dst, float tx, float ty);
  void nvgTransformScale(float* dst, float sx, float sy);
  void nvgTransformRotate(float* dst, float a);
  void nvgTransformMultiply(float* dst, const float* src);    // dst = dst then src
  void nvgTransformPremultiply(float* dst, const float* src); // dst = src then dst
  int nvgTransformInverse(float* dst, const float* src);      // 0 when singular
  void nvgTransformPoint(float* dstx, float* dsty, const float* xform, float srcx, float srcy);
  float nvgDegToRad(float deg);
  float nvgRadToDeg(float rad);

  // Images. Each returns an image id greater than 0, or 0 on failure (bad or
  // undecodable data, a side of 0 or above the limit, no texture).
  int nvgCreateImage(NVGcontext* ctx, const char* filename, int imageFlags);
  int nvgCreateImageMem(NVGcontext* ctx, int imageFlags, const unsigned char* data, int ndata);
  int nvgCreateImageRGBA(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* data);
  // Kestrine extension: a one-channel coverage image (drawn as white with that alpha).
  int nvgCreateImageAlpha(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* data);
  void nvgUpdateImage(NVGcontext* ctx, int image, const unsigned char* data);
  void nvgImageSize(NVGcontext* ctx, int image, int* w, int* h); // 0 x 0 for an unknown id
  void nvgDeleteImage(NVGcontext* ctx, int image);

  // Paints. Colours are blended from inner to outer.
  // Linear: inner colour at (sx,sy), outer colour at (ex,ey), constant across.
  NVGpaint nvgLinearGradient(NVGcontext* ctx, float sx, float sy, float ex, float ey, NVGcolor icol,
                             NVGcolor ocol);
  // Radial: inner colour up to radius inr, outer colour from radius outr.
  NVGpaint nvgRadialGradient(NVGcontext* ctx, float cx, float cy, float inr, float outr, NVGcolor icol,
                             NVGcolor ocol);
  // Image: the image's top-left at (ox,oy), stretched to ex x ey, rotated by
  // angle (radians) around its origin, its alpha multiplied by alpha.
  NVGpaint nvgImagePattern(NVGcontext* ctx, float ox, float oy, float ex, float ey, float angle, int image,
                           float alpha);

  // Scissor: clip the following draw calls to a rectangle in the current
  // transform (antialiased at its edges).
  void nvgScissor(NVGcontext* ctx, float x, float y, float w, float h);
  void nvgIntersectScissor(NVGcontext* ctx, float x, float y, float w, float h);
  void nvgResetScissor(NVGcontext* ctx);

  // Paths. Points are transformed by the transform current when they are added.
  void nvgBeginPath(NVGcontext* ctx);
  void nvgMoveTo(NVGcontext* ctx, float x, float y);
  void nvgLineTo(NVGcontext* ctx, float x, float y);
  void nvgBezierTo(NVGcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y);
  void nvgQuadTo(NVGcontext* ctx, float cx, float cy, float x, float y);
  void nvgArcTo(NVGcontext* ctx, float x1, float y1, float x2, float y2, float radius);
  void nvgClosePath(NVGcontext* ctx);
  void nvgPathWinding(NVGcontext* ctx, int dir); // NVGwinding or NVGsolidity, for the current subpath
  // Arc around (cx,cy) from angle a0 to a1 (radians, 0 along +x, growing
  // clockwise on screen) in direction dir (NVG_CW or NVG_CCW).
  void nvgArc(NVGcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir);
  void nvgRect(NVGcontext* ctx, float x, float y, float w, float h);
  void nvgRoundedRect(NVGcontext* ctx, float x, float y, float w, float h, float r);
  void nvgRoundedRectVarying(NVGcontext* ctx, float x, float y, float w, float h, float radTopLeft,
                             float radTopRight, float radBottomRight, float radBottomLeft);
  void nvgEllipse(NVGcontext* ctx, float cx, float cy, float rx, float ry);
  void nvgCircle(NVGcontext* ctx, float cx, float cy, float r);
  void nvgFill(NVGcontext* ctx);
  void nvgStroke(NVGcontext* ctx);

  // Fonts. Each returns a font id >= 0, or -1 when the bytes are not a usable
  // TrueType/OpenType font. With freeData 0 the bytes must outlive the context;
  // with freeData 1 the context frees them with free() (also on failure).
  int nvgCreateFont(NVGcontext* ctx, const char* name, const char* filename);
  int nvgCreateFontMem(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData);
  int nvgFindFont(NVGcontext* ctx, const char* name); // -1 when unknown
  void nvgFontSize(NVGcontext* ctx, float size);      // em size in user units
  void nvgFontFace(NVGcontext* ctx, const char* font);
  void nvgFontFaceId(NVGcontext* ctx, int font);
  void nvgTextAlign(NVGcontext* ctx, int align);
  // Draws one line of UTF-8 text (to end, or to the terminating zero when end is
  // null) in the fill colour; returns the x where the next text would start.
  float nvgText(NVGcontext* ctx, float x, float y, const char* string, const char* end);
  // Measures like nvgText draws; returns the advance and, when bounds is not
  // null, fills [xmin, ymin, xmax, ymax] in user units.
  float nvgTextBounds(NVGcontext* ctx, float x, float y, const char* string, const char* end, float* bounds);
  // Ascender (above the baseline, positive), descender (below, negative) and
  // line height of the current font and size, in user units.
  void nvgTextMetrics(NVGcontext* ctx, float* ascender, float* descender, float* lineh);

#ifdef __cplusplus
}
#endif

#endif
