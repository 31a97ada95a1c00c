// State, transforms, paths and their tessellation into stencil, fringe and
// cover geometry, paints and images.
#include "Internal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <stb_image.h>

using namespace kvg;

namespace
{
constexpr float kPi = 3.14159265358979323846f;
constexpr int kMaxStates = 32;
constexpr float kFringe = 0.5f;     // antialiasing fringe, pixels on each side of an edge
constexpr float kTolerance = 0.25f; // curve flattening, pixels
constexpr float kMinDistance = 0.01f;

constexpr unsigned kUnknownFactor = ~0u;

unsigned GlFactor(int f)
{
  switch (f)
  {
  case NVG_ZERO:
    return GL_ZERO;
  case NVG_ONE:
    return GL_ONE;
  case NVG_SRC_COLOR:
    return GL_SRC_COLOR;
  case NVG_ONE_MINUS_SRC_COLOR:
    return GL_ONE_MINUS_SRC_COLOR;
  case NVG_DST_COLOR:
    return GL_DST_COLOR;
  case NVG_ONE_MINUS_DST_COLOR:
    return GL_ONE_MINUS_DST_COLOR;
  case NVG_SRC_ALPHA:
    return GL_SRC_ALPHA;
  case NVG_ONE_MINUS_SRC_ALPHA:
    return GL_ONE_MINUS_SRC_ALPHA;
  case NVG_DST_ALPHA:
    return GL_DST_ALPHA;
  case NVG_ONE_MINUS_DST_ALPHA:
    return GL_ONE_MINUS_DST_ALPHA;
  case NVG_SRC_ALPHA_SATURATE:
    return GL_SRC_ALPHA_SATURATE;
  default:
    return kUnknownFactor;
  }
}

State& Top(NVGcontext* ctx)
{
  return ctx->states.back();
}

NVGpaint SolidPaint(NVGcolor c)
{
  NVGpaint p{};
  nvgTransformIdentity(p.xform);
  p.innerColor = c;
  p.outerColor = c;
  p.kind = kPaintColor;
  return p;
}

void PremulColor(NVGcolor c, float alpha, float* out)
{
  const float a = std::clamp(c.a * alpha, 0.0f, 1.0f);
  out[0] = c.r * a;
  out[1] = c.g * a;
  out[2] = c.b * a;
  out[3] = a;
}

// [a b c d e f] as a column-major 3x3 for the shader.
void ToMat3(const float* t, float* m)
{
  m[0] = t[0];
  m[1] = t[1];
  m[2] = 0;
  m[3] = t[2];
  m[4] = t[3];
  m[5] = 0;
  m[6] = t[4];
  m[7] = t[5];
  m[8] = 1;
}

float Cross(float ax, float ay, float bx, float by)
{
  return ax * by - ay * bx;
}

void AddCommand(NVGcontext* ctx, CommandType type, const float* pts, int n)
{
  Command c{};
  c.type = type;
  const float* t = Top(ctx).xform;
  for (int i = 0; i < n; ++i) nvgTransformPoint(&c.p[2 * i], &c.p[2 * i + 1], t, pts[2 * i], pts[2 * i + 1]);
  if (n > 0)
  {
    ctx->lastX = pts[2 * (n - 1)];
    ctx->lastY = pts[2 * (n - 1) + 1];
  }
  ctx->commands.push_back(c);
}

// ---- flattening -------------------------------------------------------------

void AddPoint(Contour& c, float x, float y)
{
  if (!c.pts.empty())
  {
    const Point& l = c.pts.back();
    if (std::fabs(l.x - x) < kMinDistance && std::fabs(l.y - y) < kMinDistance) return;
  }
  c.pts.push_back({x, y});
}

void FlattenBezier(Contour& c, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                   int depth)
{
  if (depth > 10)
  {
    AddPoint(c, x4, y4);
    return;
  }
  const float dx = x4 - x1, dy = y4 - y1;
  const float d2 = std::fabs((x2 - x4) * dy - (y2 - y4) * dx);
  const float d3 = std::fabs((x3 - x4) * dy - (y3 - y4) * dx);
  if ((d2 + d3) * (d2 + d3) < kTolerance * kTolerance * (dx * dx + dy * dy))
  {
    // Flat enough, unless the control points stray beyond the chord's ends.
    const float spread = std::max(std::hypot(x2 - x1, y2 - y1), std::hypot(x3 - x4, y3 - y4));
    if (spread < std::hypot(dx, dy) + kTolerance)
    {
      AddPoint(c, x4, y4);
      return;
    }
  }
  const float x12 = (x1 + x2) * 0.5f, y12 = (y1 + y2) * 0.5f;
  const float x23 = (x2 + x3) * 0.5f, y23 = (y2 + y3) * 0.5f;
  const float x34 = (x3 + x4) * 0.5f, y34 = (y3 + y4) * 0.5f;
  const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;
  const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
  const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
  FlattenBezier(c, x1, y1, x12, y12, x123, y123, x1234, y1234, depth + 1);
  FlattenBezier(c, x1234, y1234, x234, y234, x34, y34, x4, y4, depth + 1);
}

float SignedArea(const std::vector<Point>& p)
{
  float a = 0;
  for (size_t i = 0, n = p.size(); i < n; ++i)
  {
    const Point& u = p[i];
    const Point& v = p[(i + 1) % n];
    a += u.x * v.y - v.x * u.y;
  }
  return a * 0.5f;
}

// The path in device pixels, one contour per subpath.
ContourList& Flatten(NVGcontext* ctx)
{
  ContourList& out = ctx->contours;
  out.Clear();
  const float r = ctx->ratio;
  auto current = [&]() -> Contour& { return out.Empty() ? out.Add() : out.Back(); };
  float cx = 0, cy = 0;
  for (const Command& c : ctx->commands)
  {
    switch (c.type)
    {
    case kMoveTo:
      AddPoint(out.Add(), c.p[0] * r, c.p[1] * r);
      cx = c.p[0] * r;
      cy = c.p[1] * r;
      break;
    case kLineTo:
      if (out.Empty() || out.Back().closed)
      {
        AddPoint(out.Add(), cx, cy);
      }
      AddPoint(current(), c.p[0] * r, c.p[1] * r);
      cx = c.p[0] * r;
      cy = c.p[1] * r;
      break;
    case kBezierTo:
    {
      if (out.Empty() || out.Back().closed)
      {
        AddPoint(out.Add(), cx, cy);
      }
      Contour& k = current();
      const Point s = k.pts.empty() ? Point{cx, cy} : k.pts.back();
      FlattenBezier(k, s.x, s.y, c.p[0] * r, c.p[1] * r, c.p[2] * r, c.p[3] * r, c.p[4] * r, c.p[5] * r, 0);
      cx = c.p[4] * r;
      cy = c.p[5] * r;
      break;
    }
    case kClose:
      if (!out.Empty()) out.Back().closed = true;
      break;
    case kWinding:
      if (!out.Empty()) out.Back().winding = c.winding;
      break;
    }
  }
  for (Contour& k : out)
  {
    // A closed contour's last point equal to its first is the same vertex.
    if (k.pts.size() > 1)
    {
      const Point& f = k.pts.front();
      const Point& l = k.pts.back();
      if (std::fabs(f.x - l.x) < kMinDistance && std::fabs(f.y - l.y) < kMinDistance)
      {
        k.pts.pop_back();
        k.closed = true;
      }
    }
    for (const Point& p : k.pts)
    {
      if (!std::isfinite(p.x) || !std::isfinite(p.y))
      {
        k.pts.clear();
        break;
      }
    }
  }
  return out;
}

// ---- geometry ---------------------------------------------------------------

struct Bounds
{
  float minx = 1e30f, miny = 1e30f, maxx = -1e30f, maxy = -1e30f;
  void Add(float x, float y)
  {
    minx = std::min(minx, x);
    miny = std::min(miny, y);
    maxx = std::max(maxx, x);
    maxy = std::max(maxy, y);
  }
  bool Empty() const { return minx > maxx; }
};

void PushVertex(std::vector<Vertex>& v, float x, float y, float coverage)
{
  v.push_back({x, y, 0, 0, coverage});
}

// A polygon as a fan of triangles into the stencil list, its edges into the
// fringe list.
void AddPolygon(const Point* p, size_t n, std::vector<Vertex>& stencil, std::vector<Vertex>& fringe,
                bool antiAlias, Bounds& b)
{
  if (n < 3) return;
  for (size_t i = 1; i + 1 < n; ++i)
  {
    PushVertex(stencil, p[0].x, p[0].y, 1);
    PushVertex(stencil, p[i].x, p[i].y, 1);
    PushVertex(stencil, p[i + 1].x, p[i + 1].y, 1);
  }
  for (size_t i = 0; i < n; ++i) b.Add(p[i].x, p[i].y);
  if (!antiAlias) return;
  for (size_t i = 0; i < n; ++i)
  {
    const Point& a = p[i];
    const Point& c = p[(i + 1) % n];
    const float dx = c.x - a.x, dy = c.y - a.y;
    const float len = std::hypot(dx, dy);
    if (len < 1e-6f) continue;
    const float nx = -dy / len * kFringe, ny = dx / len * kFringe;
    // Both sides of the edge: coverage 0.5 on the edge, 0 half a pixel away.
    // The stencil test keeps only the side outside the shape.
    for (float s : {1.0f, -1.0f})
    {
      const float ox = nx * s, oy = ny * s;
      PushVertex(fringe, a.x, a.y, 0.5f);
      PushVertex(fringe, c.x, c.y, 0.5f);
      PushVertex(fringe, c.x + ox, c.y + oy, 0);
      PushVertex(fringe, a.x, a.y, 0.5f);
      PushVertex(fringe, c.x + ox, c.y + oy, 0);
      PushVertex(fringe, a.x + ox, a.y + oy, 0);
    }
  }
}

// A regular polygon around a point, fine enough for radius r (pixels).
void Disc(float cx, float cy, float r, std::vector<Point>& out)
{
  const float e = std::min(kTolerance / std::max(r, 1e-3f), 1.0f);
  int n = static_cast<int>(std::ceil(kPi / std::acos(1.0f - e)));
  n = std::clamp(n, 8, 128);
  out.clear();
  for (int i = 0; i < n; ++i)
  {
    const float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(n);
    // Slightly beyond r so the polygon's edges lie outside the true circle on average.
    const float rr = r / std::cos(kPi / static_cast<float>(n) * 0.5f);
    out.push_back({cx + std::cos(a) * rr, cy + std::sin(a) * rr});
  }
}

void RecordShape(NVGcontext* ctx, const NVGpaint& paint, float alphaScale, StencilMode mode,
                 const std::vector<Vertex>& stencil, const std::vector<Vertex>& fringe, const Bounds& b)
{
  if (stencil.empty() || b.Empty()) return;
  Call call;
  call.stencilled = true;
  call.mode = mode;
  CopyBlend(ctx, call);
  MakeFragParams(ctx, paint, alphaScale, call.frag);
  auto& v = ctx->verts;
  call.stencilFirst = static_cast<int>(v.size());
  call.stencilCount = static_cast<int>(stencil.size());
  v.insert(v.end(), stencil.begin(), stencil.end());
  call.fringeFirst = static_cast<int>(v.size());
  call.fringeCount = static_cast<int>(fringe.size());
  v.insert(v.end(), fringe.begin(), fringe.end());
  call.coverFirst = static_cast<int>(v.size());
  const float x0 = b.minx - 1, y0 = b.miny - 1, x1 = b.maxx + 1, y1 = b.maxy + 1;
  PushVertex(v, x0, y0, 1);
  PushVertex(v, x1, y0, 1);
  PushVertex(v, x1, y1, 1);
  PushVertex(v, x0, y0, 1);
  PushVertex(v, x1, y1, 1);
  PushVertex(v, x0, y1, 1);
  ctx->calls.push_back(call);
}

void StrokeJoin(const Point& p, float d0x, float d0y, float d1x, float d1y, float w, int join,
                float miterLimit, std::vector<Point>& scratch, std::vector<Vertex>& stencil,
                std::vector<Vertex>& fringe, bool aa, Bounds& b)
{
  const float cr = Cross(d0x, d0y, d1x, d1y);
  const float dot = d0x * d1x + d0y * d1y;
  if (std::fabs(cr) < 1e-6f && dot > 0) return; // straight on
  if (join == NVG_ROUND)
  {
    Disc(p.x, p.y, w, scratch);
    AddPolygon(scratch.data(), scratch.size(), stencil, fringe, aa, b);
    return;
  }
  if (std::fabs(cr) < 1e-6f) return; // turning back: nothing beyond the segments' ends
  // Normals on the outer side of the turn.
  const float s = cr > 0 ? 1.0f : -1.0f;
  const float o0x = d0y * s, o0y = -d0x * s;
  const float o1x = d1y * s, o1y = -d1x * s;
  const Point a{p.x + o0x * w, p.y + o0y * w};
  const Point c{p.x + o1x * w, p.y + o1y * w};
  const float mx = (o0x + o1x) * 0.5f, my = (o0y + o1y) * 0.5f;
  const float m2 = mx * mx + my * my;
  if (join == NVG_MITER && m2 * miterLimit * miterLimit >= 1.0f && m2 > 1e-6f)
  {
    const Point m{p.x + mx / m2 * w, p.y + my / m2 * w};
    const Point quad[4] = {p, a, m, c};
    AddPolygon(quad, 4, stencil, fringe, aa, b);
    return;
  }
  const Point tri[3] = {p, a, c};
  AddPolygon(tri, 3, stencil, fringe, aa, b);
}

} // namespace

// ---- shared helpers ---------------------------------------------------------

namespace kvg
{
float AverageScale(const float* t)
{
  const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
  const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
  return (sx + sy) * 0.5f;
}

void CopyBlend(NVGcontext* ctx, Call& call)
{
  std::memcpy(call.blend, Top(ctx).blend, sizeof call.blend);
}

void MakeFragParams(NVGcontext* ctx, const NVGpaint& paint, float alphaScale, FragParams& f)
{
  const State& s = Top(ctx);
  std::memset(&f, 0, sizeof f);
  const float alpha = s.alpha * alphaScale;
  PremulColor(paint.innerColor, alpha, f.innerCol);
  PremulColor(paint.outerColor, alpha, f.outerCol);
  f.kind = paint.kind;
  f.image = paint.image;
  f.extent[0] = paint.extent[0];
  f.extent[1] = paint.extent[1];
  // Radii stay in paint units: the shader measures distances after mapping
  // pixels back into paint space.
  f.radius[0] = paint.radius[0];
  f.radius[1] = paint.radius[1];
  float toPixels[6], ratio[6], inv[6];
  std::memcpy(toPixels, paint.xform, sizeof toPixels);
  nvgTransformScale(ratio, ctx->ratio, ctx->ratio);
  nvgTransformMultiply(toPixels, ratio);
  if (!nvgTransformInverse(inv, toPixels)) nvgTransformIdentity(inv);
  ToMat3(inv, f.paintMat);
  if (s.scissorExt[0] < 0)
  {
    float id[6];
    nvgTransformIdentity(id);
    ToMat3(id, f.scissorMat);
    f.scissorExt[0] = f.scissorExt[1] = 1e6f;
    f.scissorScale[0] = f.scissorScale[1] = 1;
  }
  else
  {
    float sp[6];
    std::memcpy(sp, s.scissorXform, sizeof sp);
    nvgTransformMultiply(sp, ratio);
    if (!nvgTransformInverse(inv, sp)) nvgTransformIdentity(inv);
    ToMat3(inv, f.scissorMat);
    f.scissorExt[0] = s.scissorExt[0];
    f.scissorExt[1] = s.scissorExt[1];
    f.scissorScale[0] = std::sqrt(sp[0] * sp[0] + sp[1] * sp[1]);
    f.scissorScale[1] = std::sqrt(sp[2] * sp[2] + sp[3] * sp[3]);
  }
}
} // namespace kvg

// ---- frames -----------------------------------------------------------------

void nvgBeginFrame(NVGcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio)
{
  if (!ctx) return;
  ctx->states.resize(1);
  nvgReset(ctx);
  ctx->commands.clear();
  ctx->calls.clear();
  ctx->verts.clear();
  ctx->viewW = std::max(windowWidth, 0.0f);
  ctx->viewH = std::max(windowHeight, 0.0f);
  ctx->ratio = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0f;
  ctx->inFrame = true;
  BeginFrameGlyphs(ctx);
}

void nvgCancelFrame(NVGcontext* ctx)
{
  if (!ctx) return;
  ctx->calls.clear();
  ctx->verts.clear();
  ctx->inFrame = false;
}

void nvgEndFrame(NVGcontext* ctx)
{
  if (!ctx) return;
  if (ctx->inFrame && ctx->viewW > 0 && ctx->viewH > 0)
  {
    PrepareGlyphsForFlush(ctx);
    ctx->renderer->Flush(ctx->viewW * ctx->ratio, ctx->viewH * ctx->ratio, ctx->calls, ctx->verts);
  }
  ctx->calls.clear();
  ctx->verts.clear();
  ctx->inFrame = false;
}

// ---- composite --------------------------------------------------------------

void nvgGlobalCompositeOperation(NVGcontext* ctx, int op)
{
  int s = NVG_ONE, d = NVG_ONE_MINUS_SRC_ALPHA;
  switch (op)
  {
  case NVG_SOURCE_OVER:
    s = NVG_ONE;
    d = NVG_ONE_MINUS_SRC_ALPHA;
    break;
  case NVG_SOURCE_IN:
    s = NVG_DST_ALPHA;
    d = NVG_ZERO;
    break;
  case NVG_SOURCE_OUT:
    s = NVG_ONE_MINUS_DST_ALPHA;
    d = NVG_ZERO;
    break;
  case NVG_ATOP:
    s = NVG_DST_ALPHA;
    d = NVG_ONE_MINUS_SRC_ALPHA;
    break;
  case NVG_DESTINATION_OVER:
    s = NVG_ONE_MINUS_DST_ALPHA;
    d = NVG_ONE;
    break;
  case NVG_DESTINATION_IN:
    s = NVG_ZERO;
    d = NVG_SRC_ALPHA;
    break;
  case NVG_DESTINATION_OUT:
    s = NVG_ZERO;
    d = NVG_ONE_MINUS_SRC_ALPHA;
    break;
  case NVG_DESTINATION_ATOP:
    s = NVG_ONE_MINUS_DST_ALPHA;
    d = NVG_SRC_ALPHA;
    break;
  case NVG_LIGHTER:
    s = NVG_ONE;
    d = NVG_ONE;
    break;
  case NVG_COPY:
    s = NVG_ONE;
    d = NVG_ZERO;
    break;
  case NVG_XOR:
    s = NVG_ONE_MINUS_DST_ALPHA;
    d = NVG_ONE_MINUS_SRC_ALPHA;
    break;
  default:
    break;
  }
  nvgGlobalCompositeBlendFuncSeparate(ctx, s, d, s, d);
}

void nvgGlobalCompositeBlendFunc(NVGcontext* ctx, int sfactor, int dfactor)
{
  nvgGlobalCompositeBlendFuncSeparate(ctx, sfactor, dfactor, sfactor, dfactor);
}

void nvgGlobalCompositeBlendFuncSeparate(NVGcontext* ctx, int srcRGB, int dstRGB, int srcAlpha, int dstAlpha)
{
  if (!ctx) return;
  const unsigned f[4] = {GlFactor(srcRGB), GlFactor(dstRGB), GlFactor(srcAlpha), GlFactor(dstAlpha)};
  // An unknown factor keeps source over rather than drawing with garbage.
  if (std::find(f, f + 4, kUnknownFactor) != f + 4)
  {
    const unsigned over[4] = {GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
    std::memcpy(Top(ctx).blend, over, sizeof over);
    return;
  }
  std::memcpy(Top(ctx).blend, f, sizeof f);
}

// ---- colours ----------------------------------------------------------------

NVGcolor nvgRGB(unsigned char r, unsigned char g, unsigned char b)
{
  return nvgRGBA(r, g, b, 255);
}
NVGcolor nvgRGBf(float r, float g, float b)
{
  return nvgRGBAf(r, g, b, 1.0f);
}
NVGcolor nvgRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a)
{
  return NVGcolor{r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
}
NVGcolor nvgRGBAf(float r, float g, float b, float a)
{
  return NVGcolor{r, g, b, a};
}
NVGcolor nvgTransRGBA(NVGcolor c, unsigned char a)
{
  c.a = a / 255.0f;
  return c;
}
NVGcolor nvgTransRGBAf(NVGcolor c, float a)
{
  c.a = a;
  return c;
}
NVGcolor nvgLerpRGBA(NVGcolor c0, NVGcolor c1, float u)
{
  u = std::clamp(u, 0.0f, 1.0f);
  const float v = 1.0f - u;
  return NVGcolor{c0.r * v + c1.r * u, c0.g * v + c1.g * u, c0.b * v + c1.b * u, c0.a * v + c1.a * u};
}

// ---- state ------------------------------------------------------------------

void nvgSave(NVGcontext* ctx)
{
  if (!ctx || ctx->states.size() >= static_cast<size_t>(kMaxStates)) return;
  ctx->states.push_back(ctx->states.back());
}

void nvgRestore(NVGcontext* ctx)
{
  if (!ctx || ctx->states.size() <= 1) return;
  ctx->states.pop_back();
}

void nvgReset(NVGcontext* ctx)
{
  if (!ctx) return;
  State& s = Top(ctx);
  s.fill = SolidPaint(nvgRGBA(255, 255, 255, 255));
  s.stroke = SolidPaint(nvgRGBA(0, 0, 0, 255));
  const unsigned over[4] = {GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
  std::memcpy(s.blend, over, sizeof over);
  s.strokeWidth = 1.0f;
  s.miterLimit = 10.0f;
  s.lineCap = NVG_BUTT;
  s.lineJoin = NVG_MITER;
  s.alpha = 1.0f;
  nvgTransformIdentity(s.xform);
  nvgTransformIdentity(s.scissorXform);
  s.scissorExt[0] = s.scissorExt[1] = -1.0f;
  s.fontSize = 16.0f;
  s.textAlign = NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE;
  s.fontId = -1;
  s.fillRule = NVG_NONZERO;
  s.shapeAntiAlias = true;
}

void nvgShapeAntiAlias(NVGcontext* ctx, int enabled)
{
  if (ctx) Top(ctx).shapeAntiAlias = enabled != 0;
}
void nvgStrokeColor(NVGcontext* ctx, NVGcolor color)
{
  if (ctx) Top(ctx).stroke = SolidPaint(color);
}
void nvgStrokePaint(NVGcontext* ctx, NVGpaint paint)
{
  if (!ctx) return;
  nvgTransformMultiply(paint.xform, Top(ctx).xform);
  Top(ctx).stroke = paint;
}
void nvgFillColor(NVGcontext* ctx, NVGcolor color)
{
  if (ctx) Top(ctx).fill = SolidPaint(color);
}
void nvgFillPaint(NVGcontext* ctx, NVGpaint paint)
{
  if (!ctx) return;
  nvgTransformMultiply(paint.xform, Top(ctx).xform);
  Top(ctx).fill = paint;
}
void nvgMiterLimit(NVGcontext* ctx, float limit)
{
  if (ctx) Top(ctx).miterLimit = std::max(limit, 0.0f);
}
void nvgStrokeWidth(NVGcontext* ctx, float size)
{
  if (ctx) Top(ctx).strokeWidth = std::max(size, 0.0f);
}
void nvgLineCap(NVGcontext* ctx, int cap)
{
  if (ctx) Top(ctx).lineCap = cap;
}
void nvgLineJoin(NVGcontext* ctx, int join)
{
  if (ctx) Top(ctx).lineJoin = join;
}
void nvgGlobalAlpha(NVGcontext* ctx, float alpha)
{
  if (ctx) Top(ctx).alpha = std::clamp(alpha, 0.0f, 1.0f);
}
void nvgFillRule(NVGcontext* ctx, int rule)
{
  if (ctx) Top(ctx).fillRule = rule == NVG_EVENODD ? NVG_EVENODD : NVG_NONZERO;
}

// ---- transforms ---------------------------------------------------------------

void nvgTransformIdentity(float* t)
{
  t[0] = 1;
  t[1] = 0;
  t[2] = 0;
  t[3] = 1;
  t[4] = 0;
  t[5] = 0;
}
void nvgTransformTranslate(float* t, float tx, float ty)
{
  nvgTransformIdentity(t);
  t[4] = tx;
  t[5] = ty;
}
void nvgTransformScale(float* t, float sx, float sy)
{
  nvgTransformIdentity(t);
  t[0] = sx;
  t[3] = sy;
}
void nvgTransformRotate(float* t, float a)
{
  const float c = std::cos(a), s = std::sin(a);
  t[0] = c;
  t[1] = s;
  t[2] = -s;
  t[3] = c;
  t[4] = 0;
  t[5] = 0;
}
void nvgTransformMultiply(float* t, const float* s)
{
  const float t0 = t[0] * s[0] + t[1] * s[2];
  const float t2 = t[2] * s[0] + t[3] * s[2];
  const float t4 = t[4] * s[0] + t[5] * s[2] + s[4];
  t[1] = t[0] * s[1] + t[1] * s[3];
  t[3] = t[2] * s[1] + t[3] * s[3];
  t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
  t[0] = t0;
  t[2] = t2;
  t[4] = t4;
}
void nvgTransformPremultiply(float* t, const float* s)
{
  float s2[6];
  std::memcpy(s2, s, sizeof s2);
  nvgTransformMultiply(s2, t);
  std::memcpy(t, s2, sizeof s2);
}
int nvgTransformInverse(float* inv, const float* t)
{
  const double det = static_cast<double>(t[0]) * t[3] - static_cast<double>(t[2]) * t[1];
  if (std::fabs(det) < 1e-12)
  {
    nvgTransformIdentity(inv);
    return 0;
  }
  const double id = 1.0 / det;
  inv[0] = static_cast<float>(t[3] * id);
  inv[2] = static_cast<float>(-t[2] * id);
  inv[4] = static_cast<float>((static_cast<double>(t[2]) * t[5] - static_cast<double>(t[3]) * t[4]) * id);
  inv[1] = static_cast<float>(-t[1] * id);
  inv[3] = static_cast<float>(t[0] * id);
  inv[5] = static_cast<float>((static_cast<double>(t[1]) * t[4] - static_cast<double>(t[0]) * t[5]) * id);
  return 1;
}
void nvgTransformPoint(float* dx, float* dy, const float* t, float sx, float sy)
{
  *dx = sx * t[0] + sy * t[2] + t[4];
  *dy = sx * t[1] + sy * t[3] + t[5];
}
float nvgDegToRad(float deg)
{
  return deg / 180.0f * kPi;
}
float nvgRadToDeg(float rad)
{
  return rad / kPi * 180.0f;
}

void nvgResetTransform(NVGcontext* ctx)
{
  if (ctx) nvgTransformIdentity(Top(ctx).xform);
}
void nvgTransform(NVGcontext* ctx, float a, float b, float c, float d, float e, float f)
{
  if (!ctx) return;
  const float t[6] = {a, b, c, d, e, f};
  nvgTransformPremultiply(Top(ctx).xform, t);
}
void nvgTranslate(NVGcontext* ctx, float x, float y)
{
  if (!ctx) return;
  float t[6];
  nvgTransformTranslate(t, x, y);
  nvgTransformPremultiply(Top(ctx).xform, t);
}
void nvgRotate(NVGcontext* ctx, float angle)
{
  if (!ctx) return;
  float t[6];
  nvgTransformRotate(t, angle);
  nvgTransformPremultiply(Top(ctx).xform, t);
}
void nvgScale(NVGcontext* ctx, float x, float y)
{
  if (!ctx) return;
  float t[6];
  nvgTransformScale(t, x, y);
  nvgTransformPremultiply(Top(ctx).xform, t);
}
void nvgCurrentTransform(NVGcontext* ctx, float* xform)
{
  if (ctx && xform) std::memcpy(xform, Top(ctx).xform, 6 * sizeof(float));
}

// ---- images -----------------------------------------------------------------

int nvgCreateImageRGBA(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* data)
{
  if (!ctx) return 0;
  if (w <= 0 || h <= 0 || w > NVG_MAX_IMAGE_SIZE || h > NVG_MAX_IMAGE_SIZE)
  {
    std::fprintf(stderr, "nvg: refused an image of %d x %d pixels\n", w, h);
    return 0;
  }
  return ctx->renderer->CreateTexture(TextureType::kRGBA, w, h, imageFlags, data);
}

int nvgCreateImageAlpha(NVGcontext* ctx, int w, int h, int imageFlags, const unsigned char* data)
{
  if (!ctx) return 0;
  if (w <= 0 || h <= 0 || w > NVG_MAX_IMAGE_SIZE || h > NVG_MAX_IMAGE_SIZE)
  {
    std::fprintf(stderr, "nvg: refused an image of %d x %d pixels\n", w, h);
    return 0;
  }
  return ctx->renderer->CreateTexture(TextureType::kAlpha, w, h, imageFlags, data);
}

int nvgCreateImageMem(NVGcontext* ctx, int imageFlags, const unsigned char* data, int ndata)
{
  if (!ctx || !data || ndata <= 0) return 0;
  int w = 0, h = 0, comp = 0;
  // Read the header first: a picture that claims an absurd size is refused
  // before anything is allocated for it.
  if (!stbi_info_from_memory(data, ndata, &w, &h, &comp))
  {
    std::fprintf(stderr, "nvg: image data not recognised (%s)\n", stbi_failure_reason());
    return 0;
  }
  if (w <= 0 || h <= 0 || w > NVG_MAX_IMAGE_SIZE || h > NVG_MAX_IMAGE_SIZE ||
      w > ctx->renderer->MaxTextureSize() || h > ctx->renderer->MaxTextureSize())
  {
    std::fprintf(stderr, "nvg: refused an image of %d x %d pixels\n", w, h);
    return 0;
  }
  unsigned char* pixels = stbi_load_from_memory(data, ndata, &w, &h, &comp, 4);
  if (!pixels)
  {
    const char* why = stbi_failure_reason();
    std::fprintf(stderr, "nvg: image data does not decode (%s)\n", why && *why ? why : "truncated");
    return 0;
  }
  const int image = nvgCreateImageRGBA(ctx, w, h, imageFlags, pixels);
  stbi_image_free(pixels);
  return image;
}

int nvgCreateImage(NVGcontext* ctx, const char* filename, int imageFlags)
{
  if (!ctx || !filename) return 0;
  FILE* f = std::fopen(filename, "rb");
  if (!f)
  {
    std::fprintf(stderr, "nvg: cannot open image file %s\n", filename);
    return 0;
  }
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  size_t n = 0;
  constexpr size_t kMaxFile = 256u << 20;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() <= kMaxFile)
    bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  if (bytes.size() > kMaxFile)
  {
    std::fprintf(stderr, "nvg: image file %s too large\n", filename);
    return 0;
  }
  return nvgCreateImageMem(ctx, imageFlags, bytes.data(), static_cast<int>(bytes.size()));
}

void nvgUpdateImage(NVGcontext* ctx, int image, const unsigned char* data)
{
  int w = 0, h = 0;
  if (!ctx || !ctx->renderer->TextureSize(image, &w, &h)) return;
  ctx->renderer->UpdateTexture(image, 0, 0, w, h, data);
}

void nvgImageSize(NVGcontext* ctx, int image, int* w, int* h)
{
  int iw = 0, ih = 0;
  if (ctx) ctx->renderer->TextureSize(image, &iw, &ih);
  if (w) *w = iw;
  if (h) *h = ih;
}

void nvgDeleteImage(NVGcontext* ctx, int image)
{
  if (ctx) ctx->renderer->DeleteTexture(image);
}

// ---- paints -----------------------------------------------------------------

NVGpaint nvgLinearGradient(NVGcontext*, float sx, float sy, float ex, float ey, NVGcolor icol, NVGcolor ocol)
{
  NVGpaint p{};
  float dx = ex - sx, dy = ey - sy;
  float len = std::hypot(dx, dy);
  if (len < 1e-4f)
  {
    dx = 0;
    dy = 1e-4f;
    len = 1e-4f;
  }
  // Paint space: y runs from 0 at the start to 1 at the end.
  p.xform[0] = -dy / len;
  p.xform[1] = dx / len;
  p.xform[2] = dx;
  p.xform[3] = dy;
  p.xform[4] = sx;
  p.xform[5] = sy;
  p.innerColor = icol;
  p.outerColor = ocol;
  p.kind = kPaintLinear;
  return p;
}

NVGpaint nvgRadialGradient(NVGcontext*, float cx, float cy, float inr, float outr, NVGcolor icol,
                           NVGcolor ocol)
{
  NVGpaint p{};
  nvgTransformTranslate(p.xform, cx, cy);
  p.radius[0] = inr;
  p.radius[1] = outr;
  p.innerColor = icol;
  p.outerColor = ocol;
  p.kind = kPaintRadial;
  return p;
}

NVGpaint nvgImagePattern(NVGcontext*, float ox, float oy, float ex, float ey, float angle, int image,
                         float alpha)
{
  NVGpaint p{};
  nvgTransformRotate(p.xform, angle);
  p.xform[4] = ox;
  p.xform[5] = oy;
  p.extent[0] = ex;
  p.extent[1] = ey;
  p.image = image;
  p.innerColor = p.outerColor = nvgRGBAf(1, 1, 1, alpha);
  p.kind = kPaintImage;
  return p;
}

// ---- scissor ----------------------------------------------------------------

void nvgScissor(NVGcontext* ctx, float x, float y, float w, float h)
{
  if (!ctx) return;
  State& s = Top(ctx);
  w = std::max(0.0f, w);
  h = std::max(0.0f, h);
  nvgTransformTranslate(s.scissorXform, x + w * 0.5f, y + h * 0.5f);
  nvgTransformMultiply(s.scissorXform, s.xform);
  s.scissorExt[0] = w * 0.5f;
  s.scissorExt[1] = h * 0.5f;
}

void nvgIntersectScissor(NVGcontext* ctx, float x, float y, float w, float h)
{
  if (!ctx) return;
  State& s = Top(ctx);
  if (s.scissorExt[0] < 0)
  {
    nvgScissor(ctx, x, y, w, h);
    return;
  }
  // The previous scissor in the current transform's space, as an axis-aligned box.
  float prev[6], inv[6];
  std::memcpy(prev, s.scissorXform, sizeof prev);
  nvgTransformInverse(inv, s.xform);
  nvgTransformMultiply(prev, inv);
  const float ex = s.scissorExt[0], ey = s.scissorExt[1];
  const float tex = ex * std::fabs(prev[0]) + ey * std::fabs(prev[2]);
  const float tey = ex * std::fabs(prev[1]) + ey * std::fabs(prev[3]);
  const float ax = prev[4] - tex, ay = prev[5] - tey, bx = prev[4] + tex, by = prev[5] + tey;
  const float minx = std::max(ax, x), miny = std::max(ay, y);
  const float maxx = std::min(bx, x + w), maxy = std::min(by, y + h);
  nvgScissor(ctx, minx, miny, std::max(0.0f, maxx - minx), std::max(0.0f, maxy - miny));
}

void nvgResetScissor(NVGcontext* ctx)
{
  if (!ctx) return;
  State& s = Top(ctx);
  nvgTransformIdentity(s.scissorXform);
  s.scissorExt[0] = s.scissorExt[1] = -1.0f;
}

// ---- paths ------------------------------------------------------------------

void nvgBeginPath(NVGcontext* ctx)
{
  if (ctx) ctx->commands.clear();
}

void nvgMoveTo(NVGcontext* ctx, float x, float y)
{
  if (!ctx) return;
  const float p[2] = {x, y};
  AddCommand(ctx, kMoveTo, p, 1);
}

void nvgLineTo(NVGcontext* ctx, float x, float y)
{
  if (!ctx) return;
  const float p[2] = {x, y};
  AddCommand(ctx, kLineTo, p, 1);
}

void nvgBezierTo(NVGcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y)
{
  if (!ctx) return;
  const float p[6] = {c1x, c1y, c2x, c2y, x, y};
  AddCommand(ctx, kBezierTo, p, 3);
}

void nvgQuadTo(NVGcontext* ctx, float cx, float cy, float x, float y)
{
  if (!ctx) return;
  // The cubic with control points two thirds of the way to the quadratic's.
  const float x0 = ctx->lastX, y0 = ctx->lastY;
  nvgBezierTo(ctx, x0 + 2.0f / 3.0f * (cx - x0), y0 + 2.0f / 3.0f * (cy - y0), x + 2.0f / 3.0f * (cx - x),
              y + 2.0f / 3.0f * (cy - y), x, y);
}

void nvgClosePath(NVGcontext* ctx)
{
  if (!ctx) return;
  Command c{};
  c.type = kClose;
  ctx->commands.push_back(c);
}

void nvgPathWinding(NVGcontext* ctx, int dir)
{
  if (!ctx) return;
  Command c{};
  c.type = kWinding;
  c.winding = dir == NVG_CW || dir == NVG_HOLE ? NVG_CW : NVG_CCW;
  ctx->commands.push_back(c);
}

void nvgArc(NVGcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir)
{
  if (!ctx) return;
  float da = a1 - a0;
  if (dir == NVG_CW)
  {
    if (std::fabs(da) >= 2 * kPi)
      da = 2 * kPi;
    else
      while (da < 0) da += 2 * kPi;
  }
  else
  {
    if (std::fabs(da) >= 2 * kPi)
      da = -2 * kPi;
    else
      while (da > 0) da -= 2 * kPi;
  }
  // Cubic segments of at most a quarter turn each.
  const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(da) / (kPi * 0.5f))), 1, 4);
  const float step = da / static_cast<float>(n);
  const float k = 4.0f / 3.0f * std::tan(step / 4.0f) * r;
  float px = cx + std::cos(a0) * r, py = cy + std::sin(a0) * r;
  if (ctx->commands.empty())
    nvgMoveTo(ctx, px, py);
  else
    nvgLineTo(ctx, px, py);
  for (int i = 1; i <= n; ++i)
  {
    const float a = a0 + step * static_cast<float>(i);
    const float qx = cx + std::cos(a) * r, qy = cy + std::sin(a) * r;
    const float ta0 = a - step;
    nvgBezierTo(ctx, px - std::sin(ta0) * k, py + std::cos(ta0) * k, qx + std::sin(a) * k,
                qy - std::cos(a) * k, qx, qy);
    px = qx;
    py = qy;
  }
}

void nvgArcTo(NVGcontext* ctx, float x1, float y1, float x2, float y2, float radius)
{
  if (!ctx || ctx->commands.empty()) return;
  const float x0 = ctx->lastX, y0 = ctx->lastY;
  float d0x = x0 - x1, d0y = y0 - y1, d1x = x2 - x1, d1y = y2 - y1;
  const float l0 = std::hypot(d0x, d0y), l1 = std::hypot(d1x, d1y);
  if (l0 < kMinDistance || l1 < kMinDistance || radius < kMinDistance)
  {
    nvgLineTo(ctx, x1, y1);
    return;
  }
  d0x /= l0;
  d0y /= l0;
  d1x /= l1;
  d1y /= l1;
  const float cosA = std::clamp(d0x * d1x + d0y * d1y, -1.0f, 1.0f);
  const float angle = std::acos(cosA);
  if (angle < 1e-4f || angle > kPi - 1e-4f)
  {
    nvgLineTo(ctx, x1, y1);
    return;
  }
  // Tangent points at distance d from the corner; the centre on the bisector.
  const float d = radius / std::tan(angle * 0.5f);
  if (d > 1e4f)
  {
    nvgLineTo(ctx, x1, y1);
    return;
  }
  const float t0x = x1 + d0x * d, t0y = y1 + d0y * d;
  const float t1x = x1 + d1x * d, t1y = y1 + d1y * d;
  float bx = d0x + d1x, by = d0y + d1y;
  const float bl = std::hypot(bx, by);
  bx /= bl;
  by /= bl;
  const float h = radius / std::sin(angle * 0.5f);
  const float cx = x1 + bx * h, cy = y1 + by * h;
  const float a0 = std::atan2(t0y - cy, t0x - cx);
  const float a1 = std::atan2(t1y - cy, t1x - cx);
  const int dir = Cross(-d0x, -d0y, d1x, d1y) > 0 ? NVG_CW : NVG_CCW;
  nvgLineTo(ctx, t0x, t0y);
  nvgArc(ctx, cx, cy, radius, a0, a1, dir);
}

void nvgRect(NVGcontext* ctx, float x, float y, float w, float h)
{
  nvgMoveTo(ctx, x, y);
  nvgLineTo(ctx, x, y + h);
  nvgLineTo(ctx, x + w, y + h);
  nvgLineTo(ctx, x + w, y);
  nvgClosePath(ctx);
}

void nvgRoundedRect(NVGcontext* ctx, float x, float y, float w, float h, float r)
{
  nvgRoundedRectVarying(ctx, x, y, w, h, r, r, r, r);
}

void nvgRoundedRectVarying(NVGcontext* ctx, float x, float y, float w, float h, float rtl, float rtr,
                           float rbr, float rbl)
{
  if (!ctx) return;
  if (rtl < 0.1f && rtr < 0.1f && rbr < 0.1f && rbl < 0.1f)
  {
    nvgRect(ctx, x, y, w, h);
    return;
  }
  const float hw = std::fabs(w) * 0.5f, hh = std::fabs(h) * 0.5f;
  const float sx = w < 0 ? -1.0f : 1.0f, sy = h < 0 ? -1.0f : 1.0f;
  const float k = 1.0f - 0.5522847493f; // cubic circle approximation
  auto rx = [&](float r) { return std::min(r, hw) * sx; };
  auto ry = [&](float r) { return std::min(r, hh) * sy; };
  nvgMoveTo(ctx, x, y + ry(rtl));
  nvgLineTo(ctx, x, y + h - ry(rbl));
  nvgBezierTo(ctx, x, y + h - ry(rbl) * k, x + rx(rbl) * k, y + h, x + rx(rbl), y + h);
  nvgLineTo(ctx, x + w - rx(rbr), y + h);
  nvgBezierTo(ctx, x + w - rx(rbr) * k, y + h, x + w, y + h - ry(rbr) * k, x + w, y + h - ry(rbr));
  nvgLineTo(ctx, x + w, y + ry(rtr));
  nvgBezierTo(ctx, x + w, y + ry(rtr) * k, x + w - rx(rtr) * k, y, x + w - rx(rtr), y);
  nvgLineTo(ctx, x + rx(rtl), y);
  nvgBezierTo(ctx, x + rx(rtl) * k, y, x, y + ry(rtl) * k, x, y + ry(rtl));
  nvgClosePath(ctx);
}

void nvgEllipse(NVGcontext* ctx, float cx, float cy, float rx, float ry)
{
  const float k = 0.5522847493f;
  nvgMoveTo(ctx, cx - rx, cy);
  nvgBezierTo(ctx, cx - rx, cy + ry * k, cx - rx * k, cy + ry, cx, cy + ry);
  nvgBezierTo(ctx, cx + rx * k, cy + ry, cx + rx, cy + ry * k, cx + rx, cy);
  nvgBezierTo(ctx, cx + rx, cy - ry * k, cx + rx * k, cy - ry, cx, cy - ry);
  nvgBezierTo(ctx, cx - rx * k, cy - ry, cx - rx, cy - ry * k, cx - rx, cy);
  nvgClosePath(ctx);
}

void nvgCircle(NVGcontext* ctx, float cx, float cy, float r)
{
  nvgEllipse(ctx, cx, cy, r, r);
}

// ---- fill and stroke ------------------------------------------------------------

void nvgFill(NVGcontext* ctx)
{
  if (!ctx || !ctx->inFrame) return;
  const State& s = Top(ctx);
  ContourList& contours = Flatten(ctx);
  std::vector<Vertex>& stencil = ctx->stencilScratch;
  std::vector<Vertex>& fringe = ctx->fringeScratch;
  stencil.clear();
  fringe.clear();
  Bounds b;
  const bool aa = ctx->antiAlias && s.shapeAntiAlias;
  for (Contour& c : contours)
  {
    if (c.pts.size() < 3) continue;
    if (s.fillRule == NVG_NONZERO)
    {
      // Solid subpaths all turn one way and holes the other, so holes cut out.
      const float area = SignedArea(c.pts);
      if ((c.winding == NVG_CCW && area < 0) || (c.winding == NVG_CW && area > 0))
        std::reverse(c.pts.begin(), c.pts.end());
    }
    AddPolygon(c.pts.data(), c.pts.size(), stencil, fringe, aa, b);
  }
  RecordShape(ctx, s.fill, 1.0f, s.fillRule == NVG_EVENODD ? StencilMode::kEvenOdd : StencilMode::kNonZero,
              stencil, fringe, b);
}

void nvgStroke(NVGcontext* ctx)
{
  if (!ctx || !ctx->inFrame) return;
  const State& s = Top(ctx);
  float width = s.strokeWidth * AverageScale(s.xform) * ctx->ratio;
  if (!(width > 0) || !std::isfinite(width)) return;
  float alphaScale = 1.0f;
  if (width < 1.0f)
  {
    // Hairlines: one pixel wide, as faint as the share of the pixel they cover.
    alphaScale = width;
    width = 1.0f;
  }
  const float w = width * 0.5f;
  const bool aa = ctx->antiAlias && s.shapeAntiAlias;
  ContourList& contours = Flatten(ctx);
  std::vector<Vertex>& stencil = ctx->stencilScratch;
  std::vector<Vertex>& fringe = ctx->fringeScratch;
  std::vector<Point>& scratch = ctx->pointScratch;
  std::vector<Point>& dir = ctx->dirScratch;
  stencil.clear();
  fringe.clear();
  Bounds b;
  for (const Contour& c : contours)
  {
    const size_t n = c.pts.size();
    if (n < 2) continue;
    const size_t segs = c.closed ? n : n - 1;
    dir.resize(segs);
    for (size_t i = 0; i < segs; ++i)
    {
      const Point& a = c.pts[i];
      const Point& e = c.pts[(i + 1) % n];
      const float len = std::max(std::hypot(e.x - a.x, e.y - a.y), 1e-6f);
      dir[i] = {(e.x - a.x) / len, (e.y - a.y) / len};
      const float nx = -dir[i].y * w, ny = dir[i].x * w;
      const Point quad[4] = {
          {a.x + nx, a.y + ny}, {e.x + nx, e.y + ny}, {e.x - nx, e.y - ny}, {a.x - nx, a.y - ny}};
      AddPolygon(quad, 4, stencil, fringe, aa, b);
    }
    const size_t firstJoin = c.closed ? 0 : 1;
    for (size_t i = firstJoin; i < n && (c.closed || i < n - 1); ++i)
    {
      const Point& d0 = dir[(i + segs - 1) % segs];
      const Point& d1 = dir[i % segs];
      StrokeJoin(c.pts[i], d0.x, d0.y, d1.x, d1.y, w, s.lineJoin, s.miterLimit, scratch, stencil, fringe, aa,
                 b);
    }
    if (!c.closed)
    {
      for (int end = 0; end < 2; ++end)
      {
        const Point& p = end == 0 ? c.pts.front() : c.pts.back();
        // Direction pointing out of the line at this end.
        const Point d = end == 0 ? Point{-dir.front().x, -dir.front().y} : dir.back();
        if (s.lineCap == NVG_ROUND)
        {
          Disc(p.x, p.y, w, scratch);
          AddPolygon(scratch.data(), scratch.size(), stencil, fringe, aa, b);
        }
        else if (s.lineCap == NVG_SQUARE)
        {
          const float nx = -d.y * w, ny = d.x * w;
          const float ex = d.x * w, ey = d.y * w;
          const Point quad[4] = {{p.x + nx, p.y + ny},
                                 {p.x + nx + ex, p.y + ny + ey},
                                 {p.x - nx + ex, p.y - ny + ey},
                                 {p.x - nx, p.y - ny}};
          AddPolygon(quad, 4, stencil, fringe, aa, b);
        }
      }
    }
  }
  RecordShape(ctx, s.stroke, alphaScale, StencilMode::kUnion, stencil, fringe, b);
}
