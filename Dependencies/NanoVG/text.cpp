// Fonts (stb_truetype), the glyph atlas (stb_rect_pack) and one-line text.
#include "Internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

#include <stb_rect_pack.h>
#include <stb_truetype.h>

namespace kvg
{
namespace
{
constexpr int kAtlasSize = 1024;      // pixels, square, one alpha channel
constexpr float kMaxRasterSize = 256; // larger text is drawn from glyphs of this size, scaled
constexpr int kSizeSteps = 8;         // glyph sizes are kept in eighths of a pixel

uint32_t ReadU32(const unsigned char* p)
{
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
unsigned ReadU16(const unsigned char* p)
{
  return (unsigned(p[0]) << 8) | unsigned(p[1]);
}

// The table directory must lie inside the bytes, and so must every table it
// lists: the rasteriser follows these offsets without checking them.
bool TableDirectoryFits(const unsigned char* data, int size, int offset)
{
  const int64_t n = size;
  if (offset < 0 || offset + 12 > n) return false;
  const unsigned tables = ReadU16(data + offset + 4);
  if (tables == 0 || offset + 12 + 16 * int64_t(tables) > n) return false;
  for (unsigned i = 0; i < tables; ++i)
  {
    const unsigned char* rec = data + offset + 12 + 16 * i;
    const int64_t start = ReadU32(rec + 8), length = ReadU32(rec + 12);
    if (start + length > n) return false;
  }
  return true;
}

// One code point from UTF-8; malformed bytes read as U+FFFD, one byte each.
uint32_t NextCodepoint(const unsigned char*& s, const unsigned char* end)
{
  const unsigned c = *s++;
  if (c < 0x80) return c;
  int more = 0;
  uint32_t cp = 0;
  if ((c & 0xe0) == 0xc0)
  {
    more = 1;
    cp = c & 0x1f;
  }
  else if ((c & 0xf0) == 0xe0)
  {
    more = 2;
    cp = c & 0x0f;
  }
  else if ((c & 0xf8) == 0xf0)
  {
    more = 3;
    cp = c & 0x07;
  }
  else
    return 0xfffd;
  const unsigned char* p = s;
  for (int i = 0; i < more; ++i)
  {
    if (p >= end || (*p & 0xc0) != 0x80) return 0xfffd;
    cp = (cp << 6) | (*p++ & 0x3f);
  }
  s = p;
  return cp;
}
} // namespace

struct Font
{
  std::string name;
  unsigned char* data = nullptr;
  bool owned = false;
  stbtt_fontinfo info{};
  int ascent = 0, descent = 0, lineGap = 0;
  std::unordered_map<uint32_t, int> glyphs; // code point -> glyph index

  int Glyph(uint32_t cp)
  {
    auto it = glyphs.find(cp);
    if (it != glyphs.end()) return it->second;
    const int g = stbtt_FindGlyphIndex(&info, static_cast<int>(cp));
    glyphs.emplace(cp, g);
    return g;
  }
};

struct AtlasGlyph
{
  bool placed = false; // false: empty (a space) or no room
  int x = 0, y = 0, w = 0, h = 0;
  int x0 = 0, y0 = 0; // bitmap offset from the pen at the raster size
};

struct Fonts
{
  std::vector<std::unique_ptr<Font>> fonts;
  std::vector<unsigned char> pixels;
  std::vector<stbrp_node> nodes;
  stbrp_context packer{};
  int image = 0;
  bool full = false;
  int dirtyMinY = kAtlasSize, dirtyMaxY = 0;
  std::map<std::tuple<int, int, int>, AtlasGlyph> cache; // font, glyph, size in eighths

  void ResetAtlas()
  {
    pixels.assign(static_cast<size_t>(kAtlasSize) * kAtlasSize, 0);
    nodes.resize(kAtlasSize);
    stbrp_init_target(&packer, kAtlasSize, kAtlasSize, nodes.data(), static_cast<int>(nodes.size()));
    cache.clear();
    full = false;
    dirtyMinY = 0;
    dirtyMaxY = kAtlasSize;
  }
};

namespace
{
Fonts& FontsOf(NVGcontext* ctx)
{
  if (!ctx->fonts) ctx->fonts = std::make_unique<Fonts>();
  return *ctx->fonts;
}

Font* CurrentFont(NVGcontext* ctx)
{
  Fonts& f = FontsOf(ctx);
  const int id = ctx->states.back().fontId;
  if (id < 0 || id >= static_cast<int>(f.fonts.size())) return nullptr;
  return f.fonts[static_cast<size_t>(id)].get();
}

const AtlasGlyph& RasterGlyph(Fonts& fs, Font& font, int fontId, int glyph, int sizeKey)
{
  auto key = std::make_tuple(fontId, glyph, sizeKey);
  auto it = fs.cache.find(key);
  if (it != fs.cache.end()) return it->second;
  AtlasGlyph g;
  if (fs.pixels.empty()) fs.ResetAtlas();
  const float scale = stbtt_ScaleForMappingEmToPixels(&font.info, static_cast<float>(sizeKey) / kSizeSteps);
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphBitmapBox(&font.info, glyph, scale, scale, &x0, &y0, &x1, &y1);
  g.x0 = x0;
  g.y0 = y0;
  g.w = x1 - x0;
  g.h = y1 - y0;
  if (g.w > 0 && g.h > 0 && !fs.full)
  {
    // One pixel of empty border keeps filtering from bleeding in neighbours.
    stbrp_rect r{};
    r.w = g.w + 2;
    r.h = g.h + 2;
    if (stbrp_pack_rects(&fs.packer, &r, 1) && r.was_packed)
    {
      g.x = r.x + 1;
      g.y = r.y + 1;
      stbtt_MakeGlyphBitmap(&font.info, &fs.pixels[static_cast<size_t>(g.y) * kAtlasSize + g.x], g.w, g.h,
                            kAtlasSize, scale, scale, glyph);
      g.placed = true;
      fs.dirtyMinY = std::min(fs.dirtyMinY, r.y);
      fs.dirtyMaxY = std::max(fs.dirtyMaxY, r.y + r.h);
    }
    else
    {
      // Skipped for this frame; the atlas starts again at the next one.
      fs.full = true;
      return fs.cache.emplace(key, g).first->second;
    }
  }
  return fs.cache.emplace(key, g).first->second;
}

struct TextSizes
{
  float s;       // pixels per user unit
  float pxSize;  // em size in pixels
  float emScale; // font units -> pixels
  int sizeKey;   // raster size in eighths of a pixel
  float quadScale;
};

bool SizesFor(NVGcontext* ctx, Font& font, TextSizes& t)
{
  const State& st = ctx->states.back();
  t.s = AverageScale(st.xform) * ctx->ratio;
  t.pxSize = st.fontSize * t.s;
  if (!(t.pxSize > 0) || !std::isfinite(t.pxSize) || t.pxSize > 1e5f) return false;
  t.emScale = stbtt_ScaleForMappingEmToPixels(&font.info, t.pxSize);
  const float raster = std::min(t.pxSize, kMaxRasterSize);
  t.sizeKey = std::max(1, static_cast<int>(std::lround(raster * kSizeSteps)));
  t.quadScale = t.pxSize / (static_cast<float>(t.sizeKey) / kSizeSteps);
  return true;
}

// Advance of the text in pixels at the current size, kerning included.
float Advance(Font& font, const TextSizes& t, const char* string, const char* end)
{
  const auto* s = reinterpret_cast<const unsigned char*>(string);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  float pen = 0;
  int prev = -1;
  while (s < e)
  {
    const int g = font.Glyph(NextCodepoint(s, e));
    if (prev >= 0) pen += static_cast<float>(stbtt_GetGlyphKernAdvance(&font.info, prev, g)) * t.emScale;
    int adv = 0, lsb = 0;
    stbtt_GetGlyphHMetrics(&font.info, g, &adv, &lsb);
    pen += static_cast<float>(adv) * t.emScale;
    prev = g;
  }
  return pen;
}

// Offsets of the anchor from the text's pen start and baseline, in pixels.
void AlignOffsets(const Font& font, const TextSizes& t, int align, float advance, float& ax, float& ay)
{
  ax = 0;
  if (align & NVG_ALIGN_CENTER)
    ax = -advance * 0.5f;
  else if (align & NVG_ALIGN_RIGHT)
    ax = -advance;
  const float asc = static_cast<float>(font.ascent) * t.emScale;
  const float desc = static_cast<float>(font.descent) * t.emScale;
  ay = 0;
  if (align & NVG_ALIGN_TOP)
    ay = asc;
  else if (align & NVG_ALIGN_MIDDLE)
    ay = (asc + desc) * 0.5f;
  else if (align & NVG_ALIGN_BOTTOM)
    ay = desc;
}

const char* EndOf(const char* string, const char* end)
{
  return end ? end : string + std::strlen(string);
}
} // namespace

void PrepareGlyphsForFlush(NVGcontext* ctx)
{
  if (!ctx->fonts) return;
  Fonts& fs = *ctx->fonts;
  if (!fs.pixels.empty() && fs.dirtyMinY < fs.dirtyMaxY)
  {
    if (!fs.image)
      fs.image =
          ctx->renderer->CreateTexture(TextureType::kAlpha, kAtlasSize, kAtlasSize, 0, fs.pixels.data());
    else
      ctx->renderer->UpdateTexture(fs.image, 0, fs.dirtyMinY, kAtlasSize, fs.dirtyMaxY - fs.dirtyMinY,
                                   fs.pixels.data());
    fs.dirtyMinY = kAtlasSize;
    fs.dirtyMaxY = 0;
  }
  for (Call& c : ctx->calls)
    if (!c.stencilled && c.frag.image == -1) c.frag.image = fs.image;
}

void BeginFrameGlyphs(NVGcontext* ctx)
{
  if (ctx->fonts && ctx->fonts->full) ctx->fonts->ResetAtlas();
}

void ReleaseFonts(NVGcontext* ctx)
{
  if (!ctx->fonts) return;
  for (auto& f : ctx->fonts->fonts)
    if (f->owned) std::free(f->data);
  ctx->fonts->fonts.clear();
}

} // namespace kvg

using namespace kvg;

NVGcontext::NVGcontext()
{
  states.reserve(32);
  states.emplace_back();
  nvgReset(this);
}

NVGcontext::~NVGcontext()
{
  ReleaseFonts(this);
}

int nvgCreateFontMem(NVGcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData)
{
  auto fail = [&](const char* why)
  {
    std::fprintf(stderr, "nvg: font \"%s\" refused: %s\n", name ? name : "", why);
    if (freeData) std::free(data);
    return -1;
  };
  if (!ctx || !name || !data || ndata <= 0) return fail("no bytes");
  const int offset = stbtt_GetFontOffsetForIndex(data, 0);
  if (ndata < 12 || offset < 0) return fail("not a TrueType or OpenType font");
  if (!TableDirectoryFits(data, ndata, offset)) return fail("tables outside the data");
  auto font = std::make_unique<Font>();
  if (!stbtt_InitFont(&font->info, data, offset)) return fail("required tables missing");
  font->name = name;
  font->data = data;
  font->owned = freeData != 0;
  stbtt_GetFontVMetrics(&font->info, &font->ascent, &font->descent, &font->lineGap);
  if (font->ascent - font->descent <= 0) return fail("no vertical metrics");
  Fonts& fs = FontsOf(ctx);
  fs.fonts.push_back(std::move(font));
  return static_cast<int>(fs.fonts.size()) - 1;
}

int nvgCreateFont(NVGcontext* ctx, const char* name, const char* filename)
{
  if (!ctx || !filename) return -1;
  FILE* f = std::fopen(filename, "rb");
  if (!f)
  {
    std::fprintf(stderr, "nvg: cannot open font file %s\n", filename);
    return -1;
  }
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size <= 0 || size > (64L << 20))
  {
    std::fclose(f);
    std::fprintf(stderr, "nvg: font file %s is empty or too large\n", filename);
    return -1;
  }
  auto* data = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
  const bool read = data && std::fread(data, 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
  std::fclose(f);
  if (!read)
  {
    std::free(data);
    return -1;
  }
  return nvgCreateFontMem(ctx, name, data, static_cast<int>(size), 1);
}

int nvgFindFont(NVGcontext* ctx, const char* name)
{
  if (!ctx || !name || !ctx->fonts) return -1;
  const auto& fonts = ctx->fonts->fonts;
  for (size_t i = 0; i < fonts.size(); ++i)
    if (fonts[i]->name == name) return static_cast<int>(i);
  return -1;
}

void nvgFontSize(NVGcontext* ctx, float size)
{
  if (ctx) ctx->states.back().fontSize = size;
}

void nvgFontFace(NVGcontext* ctx, const char* font)
{
  if (ctx) ctx->states.back().fontId = nvgFindFont(ctx, font);
}

void nvgFontFaceId(NVGcontext* ctx, int font)
{
  if (ctx) ctx->states.back().fontId = font;
}

void nvgTextAlign(NVGcontext* ctx, int align)
{
  if (ctx) ctx->states.back().textAlign = align;
}

float nvgText(NVGcontext* ctx, float x, float y, const char* string, const char* end)
{
  if (!ctx || !string) return x;
  Font* font = CurrentFont(ctx);
  TextSizes t{};
  if (!font || !SizesFor(ctx, *font, t)) return x;
  end = EndOf(string, end);
  const State& st = ctx->states.back();
  const float advance = Advance(*font, t, string, end);
  if (!ctx->inFrame) return x + advance / t.s;
  float ax = 0, ay = 0;
  AlignOffsets(*font, t, st.textAlign, advance, ax, ay);

  // The anchor in pixels, and the transform's rotation at unit scale.
  const float* m = st.xform;
  const float r = ctx->ratio;
  float ox = 0, oy = 0;
  nvgTransformPoint(&ox, &oy, m, x, y);
  ox *= r;
  oy *= r;
  const float ra = m[0] * r / t.s, rb = m[1] * r / t.s, rc = m[2] * r / t.s, rd = m[3] * r / t.s;
  const bool upright = std::fabs(rb) < 1e-6f && std::fabs(rc) < 1e-6f && ra > 0 && rd > 0;

  Fonts& fs = FontsOf(ctx);
  const int fontId = st.fontId;
  std::vector<Vertex>& quads = ctx->textScratch;
  quads.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(string);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  float pen = 0;
  int prev = -1;
  while (s < e)
  {
    const int g = font->Glyph(NextCodepoint(s, e));
    if (prev >= 0) pen += static_cast<float>(stbtt_GetGlyphKernAdvance(&font->info, prev, g)) * t.emScale;
    const AtlasGlyph& ag = RasterGlyph(fs, *font, fontId, g, t.sizeKey);
    if (ag.placed)
    {
      const float lx = ax + pen + static_cast<float>(ag.x0) * t.quadScale;
      const float ly = ay + static_cast<float>(ag.y0) * t.quadScale;
      const float w = static_cast<float>(ag.w) * t.quadScale, h = static_cast<float>(ag.h) * t.quadScale;
      float px[4], py[4];
      if (upright)
      {
        // Whole pixels keep the glyph's coverage as rasterised.
        const float qx = std::floor(ox + lx + 0.5f), qy = std::floor(oy + ly + 0.5f);
        px[0] = qx, py[0] = qy;
        px[1] = qx + w, py[1] = qy;
        px[2] = qx + w, py[2] = qy + h;
        px[3] = qx, py[3] = qy + h;
      }
      else
      {
        const float cx[4] = {lx, lx + w, lx + w, lx}, cy[4] = {ly, ly, ly + h, ly + h};
        for (int i = 0; i < 4; ++i)
        {
          px[i] = ox + ra * cx[i] + rc * cy[i];
          py[i] = oy + rb * cx[i] + rd * cy[i];
        }
      }
      const float u0 = static_cast<float>(ag.x) / kAtlasSize, v0 = static_cast<float>(ag.y) / kAtlasSize;
      const float u1 = static_cast<float>(ag.x + ag.w) / kAtlasSize;
      const float v1 = static_cast<float>(ag.y + ag.h) / kAtlasSize;
      const Vertex c0{px[0], py[0], u0, v0, 1}, c1{px[1], py[1], u1, v0, 1}, c2{px[2], py[2], u1, v1, 1},
          c3{px[3], py[3], u0, v1, 1};
      quads.insert(quads.end(), {c0, c1, c2, c0, c2, c3});
    }
    int adv = 0, lsb = 0;
    stbtt_GetGlyphHMetrics(&font->info, g, &adv, &lsb);
    pen += static_cast<float>(adv) * t.emScale;
    prev = g;
  }
  if (!quads.empty())
  {
    // Text takes the fill's colour.
    NVGpaint paint{};
    nvgTransformIdentity(paint.xform);
    paint.innerColor = paint.outerColor = st.fill.innerColor;
    paint.kind = kPaintGlyphs;
    Call call;
    call.stencilled = false;
    CopyBlend(ctx, call);
    MakeFragParams(ctx, paint, 1.0f, call.frag);
    call.frag.image = -1; // the atlas, resolved when the frame is rendered
    call.stencilFirst = static_cast<int>(ctx->verts.size());
    call.stencilCount = static_cast<int>(quads.size());
    ctx->verts.insert(ctx->verts.end(), quads.begin(), quads.end());
    ctx->calls.push_back(call);
  }
  return x + advance / t.s;
}

float nvgTextBounds(NVGcontext* ctx, float x, float y, const char* string, const char* end, float* bounds)
{
  if (!ctx || !string) return 0;
  Font* font = CurrentFont(ctx);
  TextSizes t{};
  if (!font || !SizesFor(ctx, *font, t))
  {
    if (bounds) bounds[0] = bounds[2] = x, bounds[1] = bounds[3] = y;
    return 0;
  }
  end = EndOf(string, end);
  const float advance = Advance(*font, t, string, end);
  float ax = 0, ay = 0;
  AlignOffsets(*font, t, ctx->states.back().textAlign, advance, ax, ay);
  if (bounds)
  {
    bounds[0] = x + ax / t.s;
    bounds[2] = x + (ax + advance) / t.s;
    bounds[1] = y + (ay - static_cast<float>(font->ascent) * t.emScale) / t.s;
    bounds[3] = y + (ay - static_cast<float>(font->descent) * t.emScale) / t.s;
  }
  return advance / t.s;
}

void nvgTextMetrics(NVGcontext* ctx, float* ascender, float* descender, float* lineh)
{
  float a = 0, d = 0, l = 0;
  Font* font = ctx ? CurrentFont(ctx) : nullptr;
  if (font)
  {
    const float scale = stbtt_ScaleForMappingEmToPixels(&font->info, ctx->states.back().fontSize);
    a = static_cast<float>(font->ascent) * scale;
    d = static_cast<float>(font->descent) * scale;
    l = static_cast<float>(font->ascent - font->descent + font->lineGap) * scale;
  }
  if (ascender) *ascender = a;
  if (descender) *descender = d;
  if (lineh) *lineh = l;
}
