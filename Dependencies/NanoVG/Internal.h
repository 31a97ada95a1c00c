// Shared between the layer's sources: recorded draw calls, the OpenGL 2
// renderer that plays them, and the context's state.
#pragma once

#include "nanovg.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GlFunctions.h"

namespace kvg
{

// One vertex in device pixels (y down). u, v address a texture (glyphs);
// coverage is the antialiasing coverage at the vertex (0..1).
struct Vertex
{
  float x, y, u, v, coverage;
};

enum PaintKind
{
  kPaintColor = 0,
  kPaintLinear = 1,
  kPaintRadial = 2,
  kPaintImage = 3,
  kPaintGlyphs = 4,
};

enum class TextureType
{
  kRGBA,
  kAlpha,
};

// How the stencil pass of a filled call counts coverage.
enum class StencilMode
{
  kNonZero, // front faces add, back faces subtract
  kEvenOdd, // every face flips
  kUnion,   // any face marks (strokes: overlapping pieces drawn once)
};

// What the fragment shader needs for one call, in device pixels.
struct FragParams
{
  float paintMat[9];   // pixel -> paint space, column-major 3x3
  float scissorMat[9]; // pixel -> scissor space (centred)
  float scissorExt[2];
  float scissorScale[2];
  float innerCol[4]; // premultiplied
  float outerCol[4];
  float extent[2];
  float radius[2];
  int kind;
  int image;
};

struct Call
{
  bool stencilled = true; // false: plain triangles (glyphs)
  StencilMode mode = StencilMode::kNonZero;
  unsigned blend[4]; // OpenGL factors: source RGB, destination RGB, source alpha, destination alpha
  FragParams frag;
  int stencilFirst = 0, stencilCount = 0; // shape triangles, or plain triangles
  int fringeFirst = 0, fringeCount = 0;
  int coverFirst = 0; // 6 vertices: the bounding quad
};

class GlRenderer
{
public:
  explicit GlRenderer(const GlFunctions& gl) : mGl(gl) {}
  ~GlRenderer();
  GlRenderer(const GlRenderer&) = delete;
  GlRenderer& operator=(const GlRenderer&) = delete;

  bool Init(bool debug); // builds the shader program; false (with a message) on failure

  int MaxTextureSize() const { return mMaxTextureSize; }
  // Returns an image id > 0, or 0. data may be null (contents undefined).
  int CreateTexture(TextureType type, int w, int h, int flags, const unsigned char* data);
  bool UpdateTexture(int image, int x, int y, int w, int h, const unsigned char* data);
  bool TextureSize(int image, int* w, int* h) const;
  bool DeleteTexture(int image);
  unsigned TextureHandle(int image) const;
  int TextureFlags(int image) const;
  TextureType TextureKind(int image) const;

  // Plays the calls into the bound framebuffer of viewW x viewH pixels.
  void Flush(float viewW, float viewH, const std::vector<Call>& calls, const std::vector<Vertex>& verts);

  const GlFunctions& Gl() const { return mGl; }

private:
  struct Texture
  {
    unsigned tex = 0;
    int w = 0, h = 0, flags = 0;
    TextureType type = TextureType::kRGBA;
  };
  void SetUniforms(const FragParams& f, float viewW, float viewH);

  GlFunctions mGl;
  bool mDebug = false;
  unsigned mProgram = 0, mVertexShader = 0, mFragmentShader = 0, mBuffer = 0;
  int mLocViewSize = -1, mLocPaintMat = -1, mLocScissorMat = -1, mLocScissorExt = -1, mLocScissorScale = -1,
      mLocInner = -1, mLocOuter = -1, mLocExtent = -1, mLocRadius = -1, mLocKind = -1, mLocTexType = -1,
      mLocFlipY = -1, mLocTex = -1;
  int mMaxTextureSize = 0;
  int mNextImage = 1;
  std::map<int, Texture> mTextures;
};

struct Font;
struct TextState;

struct State
{
  unsigned blend[4];
  NVGpaint fill;
  NVGpaint stroke;
  float strokeWidth;
  float miterLimit;
  int lineJoin;
  int lineCap;
  float alpha;
  float xform[6];
  float scissorXform[6];
  float scissorExt[2]; // negative: no scissor
  float fontSize;
  int textAlign;
  int fontId;
  int fillRule;
  bool shapeAntiAlias;
};

struct Point
{
  float x, y;
};

struct Contour
{
  std::vector<Point> pts;
  bool closed = false;
  int winding = NVG_CCW;
};

// Contours kept between calls, so that flattening a path reuses the memory
// of earlier paths instead of allocating.
struct ContourList
{
  std::vector<Contour> items;
  size_t count = 0;

  void Clear() { count = 0; }
  bool Empty() const { return count == 0; }
  Contour& Back() { return items[count - 1]; }
  Contour& Add()
  {
    if (count == items.size()) items.emplace_back();
    Contour& c = items[count++];
    c.pts.clear();
    c.closed = false;
    c.winding = NVG_CCW;
    return c;
  }
  Contour* begin() { return items.data(); }
  Contour* end() { return items.data() + count; }
};

// Path commands, points already transformed into frame units.
enum CommandType
{
  kMoveTo,
  kLineTo,
  kBezierTo,
  kClose,
  kWinding,
};

struct Command
{
  CommandType type;
  float p[6];
  int winding;
};

struct Fonts; // text.cpp

} // namespace kvg

struct NVGcontext
{
  std::unique_ptr<kvg::GlRenderer> renderer;
  bool antiAlias = true;
  std::vector<kvg::State> states;
  std::vector<kvg::Command> commands;
  float lastX = 0, lastY = 0; // last path point in frame units
  bool inFrame = false;
  float viewW = 0, viewH = 0, ratio = 1;
  std::vector<kvg::Call> calls;
  std::vector<kvg::Vertex> verts;
  std::unique_ptr<kvg::Fonts> fonts;
  // Scratch memory of the fill, stroke and text calls: after the first frames
  // recording a frame allocates nothing.
  kvg::ContourList contours;
  std::vector<kvg::Vertex> stencilScratch, fringeScratch, textScratch;
  std::vector<kvg::Point> pointScratch, dirScratch;

  NVGcontext();
  ~NVGcontext();
};

namespace kvg
{
// text.cpp: uploads pending glyphs before a flush; drops the atlas's glyphs at
// a frame start when it ran full.
void PrepareGlyphsForFlush(NVGcontext* ctx);
void BeginFrameGlyphs(NVGcontext* ctx);
void ReleaseFonts(NVGcontext* ctx);

// nanovg.cpp helpers shared with text.cpp.
float AverageScale(const float* t);
void MakeFragParams(NVGcontext* ctx, const NVGpaint& paint, float alphaScale, FragParams& out);
void CopyBlend(NVGcontext* ctx, Call& call);
} // namespace kvg
