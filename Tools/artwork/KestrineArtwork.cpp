// Draws the Kestrine editor's pictures: the background and every film strip,
// at double resolution with their frames stacked vertically, as 8-bit RGBA
// PNGs. The output is deterministic: the same program writes the same bytes.
//
//   kestrine_artwork FONT.ttf OUT_DIR [PREVIEW.png [CLOSEUP.png]]
//
// PREVIEW, when given, is a picture of the editor at scale 1 (the background
// with every control placed on it, as in the editor's layout, and stand-ins
// for the value texts and the mode selector) for judging the set as a whole;
// CLOSEUP shows the first, middle and last frames of each strip at the
// stored resolution.
//
// Everything is drawn as shapes evaluated per sample: each pixel averages
// kSuper × kSuper samples, and each sample softens its edges over one sample
// width. Coordinates are logical units (one unit = two pixels).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <zlib.h>

// stb_image_write's own deflate makes large film strips; zlib at its best
// level makes them about a third smaller. Called by stb with its quality
// setting, which zlib's level replaces.
static unsigned char* DeflateWithZlib(unsigned char* data, int length, int* outLength, int)
{
  uLongf size = compressBound(static_cast<uLong>(length));
  auto* out = static_cast<unsigned char*>(std::malloc(size));
  if (!out || compress2(out, &size, data, static_cast<uLong>(length), Z_BEST_COMPRESSION) != Z_OK)
  {
    std::free(out);
    return nullptr;
  }
  *outLength = static_cast<int>(size);
  return out;
}
#define STBIW_ZLIB_COMPRESS DeflateWithZlib

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace
{
constexpr int kScale = 2; // pixels per logical unit in the stored pictures
constexpr int kSuper = 4; // samples per pixel along each axis
constexpr float kPi = 3.14159265f;

// Premultiplied colour, components 0..1.
struct Colour
{
  float r = 0, g = 0, b = 0, a = 0;
};

Colour Rgb(int hex, float alpha = 1.f)
{
  return {((hex >> 16) & 255) / 255.f * alpha, ((hex >> 8) & 255) / 255.f * alpha,
          (hex & 255) / 255.f * alpha, alpha};
}

Colour Mix(const Colour& a, const Colour& b, float t)
{
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour Scaled(const Colour& c, float k)
{
  return {c.r * k, c.g * k, c.b * k, c.a};
}

// Paints `src` with coverage `cov` over `dst`.
void Over(Colour& dst, const Colour& src, float cov)
{
  if (cov <= 0.f) return;
  const float k = std::min(cov, 1.f);
  const float keep = 1.f - src.a * k;
  dst.r = src.r * k + dst.r * keep;
  dst.g = src.g * k + dst.g * keep;
  dst.b = src.b * k + dst.b * keep;
  dst.a = src.a * k + dst.a * keep;
}

float Clamp01(float v)
{
  return std::min(1.f, std::max(0.f, v));
}
float Smooth(float e0, float e1, float x)
{
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3.f - 2.f * t);
}

// Coverage of a shape at signed distance d (negative inside), softened over
// one sample width.
constexpr float kSample = 1.f / (kScale * kSuper);
float Cover(float d)
{
  return Clamp01(0.5f - d / kSample);
}

float Length(float x, float y)
{
  return std::sqrt(x * x + y * y);
}

float RoundRect(float x, float y, float l, float t, float r, float b, float radius)
{
  const float cx = (l + r) * 0.5f, cy = (t + b) * 0.5f;
  const float hx = (r - l) * 0.5f - radius, hy = (b - t) * 0.5f - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  return Length(std::max(qx, 0.f), std::max(qy, 0.f)) + std::min(std::max(qx, qy), 0.f) - radius;
}

float Segment(float x, float y, float ax, float ay, float bx, float by)
{
  const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  const float h = Clamp01((px * dx + py * dy) / (dx * dx + dy * dy));
  return Length(px - dx * h, py - dy * h);
}

// Angle of (dx, dy) clockwise from 12 o'clock, -pi..pi (y grows downward).
float ClockAngle(float dx, float dy)
{
  return std::atan2(dx, -dy);
}

// Distance to an arc of radius r around the origin from angle a0 to a1
// (clockwise from 12 o'clock, a0 <= a1), with round ends.
float ArcDistance(float dx, float dy, float r, float a0, float a1)
{
  const float a = ClockAngle(dx, dy);
  if (a >= a0 && a <= a1) return std::fabs(Length(dx, dy) - r);
  const float e0 = Length(dx - r * std::sin(a0), dy + r * std::cos(a0));
  const float e1 = Length(dx - r * std::sin(a1), dy + r * std::cos(a1));
  return std::min(e0, e1);
}

// ---------------------------------------------------------------- palette

const Colour kAccent = Rgb(0xff9a2e);     // kestrel amber: value arcs, lit LEDs
const Colour kAccentDeep = Rgb(0xe0561c); // the hot end of arcs and meters
const Colour kGroove = Rgb(0x121316);     // arc tracks, meter slots
const Colour kLabel = Rgb(0xa9aeb7);      // section labels
const Colour kLabelDim = Rgb(0x6c717b);

// ---------------------------------------------------------------- images

struct Image
{
  int width = 0, height = 0;
  std::vector<Colour> pixels;

  Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  Colour& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Colour& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

using Painter = std::function<Colour(float x, float y)>;

// Fills a frameWidth × frameHeight pixel area at row `top` of `image` with
// `paint` (logical coordinates from the frame's top-left corner).
void Render(Image& image, int top, int frameWidth, int frameHeight, const Painter& paint)
{
  const float inv = 1.f / (kSuper * kSuper);
  for (int py = 0; py < frameHeight; ++py)
    for (int px = 0; px < frameWidth; ++px)
    {
      Colour sum;
      for (int sy = 0; sy < kSuper; ++sy)
        for (int sx = 0; sx < kSuper; ++sx)
        {
          const float x = (px + (sx + 0.5f) / kSuper) / kScale;
          const float y = (py + (sy + 0.5f) / kSuper) / kScale;
          const Colour c = paint(x, y);
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
          sum.a += c.a;
        }
      image.At(px, top + py) = {sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv};
    }
}

uint8_t Byte(float v)
{
  return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.f));
}

bool WritePng(const Image& image, const std::string& path)
{
  std::vector<uint8_t> bytes(static_cast<size_t>(image.width) * image.height * 4);
  for (size_t i = 0; i < image.pixels.size(); ++i)
  {
    const Colour& c = image.pixels[i];
    const float a = Clamp01(c.a);
    const float k = a > 0.f ? 1.f / a : 0.f;
    bytes[i * 4 + 0] = Byte(c.r * k);
    bytes[i * 4 + 1] = Byte(c.g * k);
    bytes[i * 4 + 2] = Byte(c.b * k);
    bytes[i * 4 + 3] = Byte(a);
  }
  stbi_write_png_compression_level = 9;
  if (!stbi_write_png(path.c_str(), image.width, image.height, 4, bytes.data(), image.width * 4))
  {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- text

struct Font
{
  std::vector<unsigned char> bytes;
  stbtt_fontinfo info{};

  bool Load(const char* path)
  {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
    const bool read = size > 0 && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    return read && stbtt_InitFont(&info, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0));
  }
};

enum class Align
{
  eLeft,
  eCentre,
  eRight
};

// Width in logical units of `text` at em size `size` with `tracking` extra
// units between letters.
float TextWidth(const Font& font, const std::string& text, float size, float tracking)
{
  const float scale = stbtt_ScaleForMappingEmToPixels(&font.info, size);
  float width = 0;
  for (size_t i = 0; i < text.size(); ++i)
  {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&font.info, text[i], &advance, &bearing);
    width += advance * scale;
    if (i + 1 < text.size())
      width += stbtt_GetCodepointKernAdvance(&font.info, text[i], text[i + 1]) * scale + tracking;
  }
  return width;
}

// Draws `text` with its baseline at logical y, aligned at logical x.
void DrawText(Image& image, const Font& font, const std::string& text, float x, float baseline, float size,
              float tracking, Align align, const Colour& colour, int pixelsPerUnit = kScale)
{
  const float width = TextWidth(font, text, size, tracking);
  if (align == Align::eCentre) x -= width * 0.5f;
  if (align == Align::eRight) x -= width;
  const float scale = stbtt_ScaleForMappingEmToPixels(&font.info, size * pixelsPerUnit);
  float pen = x * pixelsPerUnit;
  const float base = baseline * pixelsPerUnit;
  for (size_t i = 0; i < text.size(); ++i)
  {
    const int cp = static_cast<unsigned char>(text[i]);
    const float ix = std::floor(pen), fx = pen - ix;
    const float iy = std::floor(base), fy = base - iy;
    int w = 0, h = 0, ox = 0, oy = 0;
    unsigned char* glyph =
        stbtt_GetCodepointBitmapSubpixel(&font.info, scale, scale, fx, fy, cp, &w, &h, &ox, &oy);
    for (int gy = 0; gy < h; ++gy)
      for (int gx = 0; gx < w; ++gx)
      {
        const int px = static_cast<int>(ix) + ox + gx, py = static_cast<int>(iy) + oy + gy;
        if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
        Over(image.At(px, py), colour, glyph[gy * w + gx] / 255.f);
      }
    stbtt_FreeBitmap(glyph, nullptr);
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&font.info, cp, &advance, &bearing);
    pen += advance * scale;
    if (i + 1 < text.size())
      pen += stbtt_GetCodepointKernAdvance(&font.info, cp, static_cast<unsigned char>(text[i + 1])) * scale +
             tracking * pixelsPerUnit;
  }
}

// A label pressed into the panel: a dark edge above, the letters, a faint
// light edge below.
void DrawLabel(Image& image, const Font& font, const std::string& text, float x, float baseline, float size,
               Align align, const Colour& colour = kLabel, float tracking = 1.1f)
{
  DrawText(image, font, text, x, baseline - 0.5f, size, tracking, align, Rgb(0x000000, 0.55f));
  DrawText(image, font, text, x, baseline + 0.5f, size, tracking, align, Rgb(0xffffff, 0.05f));
  DrawText(image, font, text, x, baseline, size, tracking, align, colour);
}

// ---------------------------------------------------------------- knobs

enum class KnobFinish
{
  eDark,  // graphite cap, the effect's main controls
  eSilver // brushed aluminium cap, the tone section
};

struct KnobStyle
{
  float cx, cy;    // centre in the frame
  float arcRadius; // centre line of the value arc
  float arcWidth;  // stroke width of the value arc
  float skirt;     // outer radius of the knob body
  float cap;       // radius of the top face
  int ridges;      // grip ridges on the skirt (0: smooth)
  bool bipolar;    // the arc grows from 12 o'clock both ways
  KnobFinish finish;
};

constexpr float kSweep = 1.5f * kPi; // 270 degrees
constexpr float kStart = -0.75f * kPi;

// The knob at value v (0..1), at logical (x, y) relative to the frame.
Colour PaintKnob(const KnobStyle& s, float v, float x, float y)
{
  const float dx = x - s.cx, dy = y - s.cy;
  const float r = Length(dx, dy);
  const float angle = kStart + kSweep * v;
  Colour c;

  // Value arc: the dark track, then the lit part with a soft glow.
  const float trackD = ArcDistance(dx, dy, s.arcRadius, kStart, kStart + kSweep) - s.arcWidth * 0.5f;
  Over(c, kGroove, Cover(trackD));
  Over(c, Rgb(0xffffff, 0.06f),
       Cover(std::fabs(r - (s.arcRadius + s.arcWidth * 0.5f)) - 0.25f) * Cover(trackD - 0.3f) *
           (ClockAngle(dx, dy) < 0.65f * kPi ? 1.f : 0.f));
  float a0 = kStart, a1 = angle;
  if (s.bipolar) a0 = std::min(0.f, angle), a1 = std::max(0.f, angle);
  if (a1 - a0 > 1e-4f)
  {
    const float litD = ArcDistance(dx, dy, s.arcRadius, a0, a1) - s.arcWidth * 0.5f;
    const float along = Clamp01((ClockAngle(dx, dy) - kStart) / kSweep);
    const Colour lit = Mix(Rgb(0xffc25a), kAccentDeep, along * 0.8f);
    // Glow outside the stroke, fading over about two stroke widths.
    const float glow = std::exp(-std::max(litD, 0.f) / (s.arcWidth * 0.9f)) * 0.35f;
    Over(c, Scaled(Rgb(0xff8a20), 1.f), glow * (1.f - Cover(litD)));
    Over(c, lit, Cover(litD));
    Over(c, Rgb(0xffffff, 0.35f), Cover(litD + s.arcWidth * 0.3f) * Smooth(0.2f, -1.f, dy / s.arcRadius));
  }

  // Drop shadow of the body, offset downward.
  const float shadowD = Length(dx, dy - s.skirt * 0.1f) - s.skirt;
  Over(c, Rgb(0x000000, 0.6f),
       std::exp(-std::max(shadowD, 0.f) / (s.skirt * 0.09f)) * (1.f - Cover(r - s.skirt)));

  if (r > s.skirt + kSample) return c;

  // Body: the skirt, lit from above, with ridges that turn with the knob.
  const float light = -dy / std::max(r, 1e-3f); // 1 at the top, -1 at the bottom
  const bool silver = s.finish == KnobFinish::eSilver;
  Colour skirt = silver ? Mix(Rgb(0x5b6068), Rgb(0x8d939c), 0.5f + 0.5f * light)
                        : Mix(Rgb(0x17181b), Rgb(0x3a3d43), 0.5f + 0.5f * light);
  if (s.ridges > 0)
  {
    const float phase = (ClockAngle(dx, dy) - angle) * s.ridges;
    const float ridge = 0.5f + 0.5f * std::cos(phase);
    skirt = Scaled(skirt, 0.78f + 0.34f * ridge * Smooth(s.cap, s.skirt, r));
  }
  Over(c, skirt, Cover(r - s.skirt));
  // Rim highlight on the skirt's upper edge.
  Over(c, Rgb(0xffffff, silver ? 0.35f : 0.18f),
       Cover(std::fabs(r - s.skirt + 0.6f) - 0.35f) * Smooth(-0.2f, 0.9f, light));

  // Top face: brushed metal with a bow-tie sheen from the light above-left.
  const float capEdge = Cover(r - s.cap);
  if (capEdge > 0.f)
  {
    const float t = ClockAngle(dx, dy);
    const float sheen = std::pow(std::fabs(std::cos(t + 0.35f)), 8.f);
    const float dome = 1.f - (r / s.cap) * (r / s.cap);
    Colour face = silver ? Mix(Rgb(0x8c929b), Rgb(0xc9ced5), 0.45f + 0.35f * (-dy / s.cap) + 0.25f * sheen)
                         : Mix(Rgb(0x26282d), Rgb(0x4a4e56), 0.35f + 0.3f * (-dy / s.cap) + 0.35f * sheen);
    // Fine concentric machining, barely there.
    face = Scaled(face, 0.97f + 0.03f * std::sin(r * 9.f) + 0.04f * dome);
    Over(c, face, capEdge);
    // Bevel: light on the upper edge of the face, shade on the lower.
    const float bevel = Cover(std::fabs(r - s.cap + 0.45f) - 0.35f) * capEdge;
    Over(c, light > 0 ? Rgb(0xffffff, 0.28f * light) : Rgb(0x000000, -0.35f * light), bevel);
  }

  // Pointer: a line on the face from near the centre to the rim.
  const float px = std::sin(angle), py = -std::cos(angle);
  const float inner = s.cap * 0.38f, outer = s.skirt - s.arcWidth * 0.15f - 0.6f;
  const float width = std::max(0.9f, s.skirt * 0.085f);
  const float pd = Segment(x, y, s.cx + px * inner, s.cy + py * inner, s.cx + px * outer, s.cy + py * outer) -
                   width * 0.5f;
  Over(c, Rgb(0x000000, 0.35f), Cover(pd - 0.35f));
  Over(c, silver ? Rgb(0x1c1d20) : Rgb(0xf4f1ea), Cover(pd));
  return c;
}

void KnobStrip(const std::string& path, int pixelWidth, int pixelHeight, int frames, const KnobStyle& style,
               bool& ok)
{
  const int frameHeight = pixelHeight / frames;
  Image image(pixelWidth, pixelHeight);
  for (int f = 0; f < frames; ++f)
  {
    const float v = static_cast<float>(f) / (frames - 1);
    Render(image, f * frameHeight, pixelWidth, frameHeight,
           [&](float x, float y) { return PaintKnob(style, v, x, y); });
  }
  ok = WritePng(image, path) && ok;
}

// ---------------------------------------------------------------- meter

constexpr int kMeterSegments = 30;
constexpr float kMeterTop = 2.5f, kMeterBottom = 118.f; // inner area of a frame, logical

// One frame of the gain-reduction meter with fill 0..1, growing downward
// from the top (more reduction, longer bar).
Colour PaintMeter(float fill, float x, float y)
{
  Colour c;
  const float w = 20.5f;
  // The slot: a dark recess with a light lower lip.
  Over(c, Rgb(0xffffff, 0.07f), Cover(RoundRect(x, y, 0.f, 0.f, w, 120.5f, 3.f)));
  Over(c, kGroove, Cover(RoundRect(x, y, 0.f, 0.f, w, 120.f, 3.f)));
  const float inset = RoundRect(x, y, 0.f, 0.f, w, 120.f, 3.f);
  Over(c, Rgb(0x000000, 0.5f), Smooth(-2.f, 0.f, inset) * Smooth(60.f, 0.f, y));

  const float pitch = (kMeterBottom - kMeterTop) / kMeterSegments;
  const int index = static_cast<int>(std::floor((y - kMeterTop) / pitch));
  if (index < 0 || index >= kMeterSegments) return c;
  const float segTop = kMeterTop + index * pitch, segBottom = segTop + pitch - 1.1f;
  const float d = RoundRect(x, y, 3.5f, segTop, w - 3.5f, segBottom, 0.8f);
  const float position = (index + 0.5f) / kMeterSegments;
  // Partly lit segment at the bar's end, so all 60 frames differ.
  const float lit = Clamp01(fill * kMeterSegments - index);
  const Colour hot = Mix(Rgb(0xffd36a), kAccentDeep, position);
  const Colour off = Mix(Rgb(0x2a2622), Rgb(0x2c2320), position);
  Over(c, Mix(off, hot, lit), Cover(d));
  // A little sheen across each lit segment.
  Over(c, Rgb(0xffffff, 0.25f * lit), Cover(d) * Smooth(segTop + 1.2f, segTop, y));
  return c;
}

// ---------------------------------------------------------------- buttons

// The bypass button: a round cap with a power sign; lit red when on.
Colour PaintBypass(bool on, float x, float y)
{
  const float cx = 14.75f, cy = 14.5f, radius = 12.f;
  const float dx = x - cx, dy = y - cy, r = Length(dx, dy);
  Colour c;
  Over(c, Rgb(0x000000, 0.55f),
       std::exp(-std::max(Length(dx, dy - 1.2f) - radius, 0.f) / 1.2f) * (1.f - Cover(r - radius)));
  const Colour red = Rgb(0xff4433);
  if (on)
    Over(c, Rgb(0xff3322, 0.5f), std::exp(-std::max(r - radius, 0.f) / 1.5f) * (1.f - Cover(r - radius)));
  // Ring.
  const float light = -dy / std::max(r, 1e-3f);
  Over(c,
       on ? Mix(Rgb(0x7a1d14), Rgb(0xd63a2a), 0.5f + 0.5f * light)
          : Mix(Rgb(0x141518), Rgb(0x44474e), 0.5f + 0.5f * light),
       Cover(r - radius));
  // Cap, pressed in (darker, flatter) when on.
  const float capR = radius - 2.f;
  Colour face = on ? Mix(Rgb(0x1e1f23), Rgb(0x2c2e33), 0.5f - 0.5f * dy / capR)
                   : Mix(Rgb(0x25272c), Rgb(0x3d4047), 0.5f - 0.5f * dy / capR);
  Over(c, face, Cover(r - capR));
  Over(c, Rgb(0xffffff, on ? 0.06f : 0.16f),
       Cover(std::fabs(r - capR + 0.4f) - 0.3f) * Smooth(0.f, 1.f, light));
  // Power sign: an open ring and a bar.
  const float a = ClockAngle(dx, dy);
  const float ringD = std::fabs(r - 5.f) - 0.8f;
  const float gap = std::fabs(a) < 0.6f ? 1.f : 0.f;
  const float sign = std::min(gap > 0 ? 1e3f : ringD, Segment(x, y, cx, cy - 6.5f, cx, cy - 1.5f) - 0.8f);
  const Colour icon = on ? Rgb(0xffd2c8) : Rgb(0x8d929b);
  if (on) Over(c, red, std::exp(-std::max(sign, 0.f) / 0.9f) * 0.6f);
  Over(c, icon, Cover(sign));
  return c;
}

// The small toggle: a round lamp, amber when on.
Colour PaintLamp(bool on, float x, float y)
{
  const float cx = 7.f, cy = 7.f, radius = 5.75f;
  const float dx = x - cx, dy = y - cy, r = Length(dx, dy);
  Colour c;
  if (on)
    Over(c, Rgb(0xff8a20, 0.6f), std::exp(-std::max(r - radius, 0.f) / 0.8f) * (1.f - Cover(r - radius)));
  else
    Over(c, Rgb(0x000000, 0.45f),
         std::exp(-std::max(Length(dx, dy - 0.6f) - radius, 0.f) / 0.6f) * (1.f - Cover(r - radius)));
  const float light = -dy / std::max(r, 1e-3f);
  Over(c, Mix(Rgb(0x131417), Rgb(0x4a4d54), 0.5f + 0.5f * light), Cover(r - radius));
  const float lens = radius - 1.25f;
  const float t = Clamp01(r / lens);
  Colour glass =
      on ? Mix(Rgb(0xfff0b0), Rgb(0xff8a1c), Smooth(0.f, 1.f, t)) : Mix(Rgb(0x3a2e22), Rgb(0x1c1a18), t);
  Over(c, glass, Cover(r - lens));
  // Specular dot at the upper left of the lens.
  Over(c, Rgb(0xffffff, on ? 0.55f : 0.22f), Cover(Length(dx + 1.4f, dy + 1.6f) - 1.1f) * Cover(r - lens));
  return c;
}

void ButtonStrip(const std::string& path, int pixelWidth, int pixelHeight,
                 const std::function<Colour(bool, float, float)>& paint, bool& ok)
{
  Image image(pixelWidth, pixelHeight);
  const int frameHeight = pixelHeight / 2;
  for (int f = 0; f < 2; ++f)
    Render(image, f * frameHeight, pixelWidth, frameHeight,
           [&](float x, float y) { return paint(f == 1, x, y); });
  ok = WritePng(image, path) && ok;
}

// ---------------------------------------------------------------- layout

// The editor's controls: picture, frame size and where the layout places them.
// The knob styles are shared by the strips and by the scales on the background.
const KnobStyle kDrive{60.f, 55.f, 46.f, 3.6f, 36.f, 29.f, 48, false, KnobFinish::eDark};
const KnobStyle kTrim{35.5f, 27.f, 23.f, 2.6f, 17.5f, 14.f, 0, true, KnobFinish::eDark};
const KnobStyle kEQTrim{35.5f, 27.f, 23.f, 2.6f, 17.5f, 14.f, 0, true, KnobFinish::eSilver};
const KnobStyle kEQFreq{23.f, 12.5f, 11.f, 1.8f, 8.2f, 6.6f, 0, false, KnobFinish::eSilver};
const KnobStyle kHPF{30.5f, 23.5f, 20.f, 2.4f, 15.5f, 12.4f, 0, false, KnobFinish::eDark};

struct Placed
{
  const KnobStyle* style;
  float x, y;
};

const Placed kKnobs[] = {
    {&kDrive, 20, 51},    {&kTrim, 491, 116},   {&kEQTrim, 147, 64}, {&kEQTrim, 227, 64},
    {&kEQFreq, 160, 141}, {&kEQFreq, 240, 141}, {&kHPF, 408, 123},   {&kHPF, 408, 41},
};

constexpr float kMeterX[2] = {320.f, 362.f};
constexpr float kMeterY = 49.f;

// ---------------------------------------------------------------- background

uint32_t Hash(uint32_t x)
{
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

Colour PaintBackground(float x, float y)
{
  constexpr float kHeader = 26.f, kFooter = 204.f;
  // Panel: graphite, a little lighter towards the top.
  Colour c = Mix(Rgb(0x2e3137), Rgb(0x222428), Smooth(kHeader, kFooter, y));
  // A faint horizontal brushing.
  const uint32_t row = Hash(static_cast<uint32_t>(y * kScale) * 747796405U + 2891336453U);
  const float brush = ((row & 1023) / 1023.f - 0.5f) * 0.012f;
  c = Scaled(c, 1.f + brush);
  // Header and footer bands, darker, with a lit edge towards the panel.
  if (y < kHeader)
  {
    c = Mix(Rgb(0x1b1d21), Rgb(0x17181b), y / kHeader);
    Over(c, Rgb(0x000000, 0.5f), Cover(std::fabs(y - (kHeader - 0.5f)) - 0.5f));
  }
  Over(c, Rgb(0xffffff, 0.06f), Cover(std::fabs(y - (kHeader + 0.5f)) - 0.5f));
  if (y > kFooter)
  {
    c = Mix(Rgb(0x1c1e22), Rgb(0x15161a), (y - kFooter) / (250.f - kFooter));
    Over(c, Rgb(0xffffff, 0.06f), Cover(std::fabs(y - (kFooter + 1.5f)) - 0.5f));
  }
  Over(c, Rgb(0x000000, 0.55f), Cover(std::fabs(y - (kFooter + 0.5f)) - 0.5f));
  // Soft light from above the middle, falling off towards the edges.
  const float fx = (x - 290.f) / 290.f, fy = (y - 40.f) / 250.f;
  const float vignette = Clamp01(fx * fx * 0.55f + fy * fy * 0.7f);
  Over(c, Rgb(0x000000, 0.22f), vignette);
  Over(c, Rgb(0xffffff, 0.035f), Clamp01(1.f - vignette * 2.f));

  // Column separators between the sections: a groove with a lit right edge.
  for (float sx : {144.f, 309.f, 395.f, 480.f})
  {
    const float span = Smooth(34.f, 44.f, y) * Smooth(198.f, 188.f, y);
    Over(c, Rgb(0x000000, 0.45f * span), Cover(std::fabs(x - sx) - 0.5f));
    Over(c, Rgb(0xffffff, 0.05f * span), Cover(std::fabs(x - sx - 1.f) - 0.5f));
  }

  // Scales around the knobs: small ticks just outside each value arc.
  for (const Placed& k : kKnobs)
  {
    const KnobStyle& s = *k.style;
    const float dx = x - k.x - s.cx, dy = y - k.y - s.cy, r = Length(dx, dy);
    const float r0 = s.arcRadius + s.arcWidth * 0.5f + 1.2f, r1 = r0 + (s.arcRadius > 30 ? 3.f : 2.f);
    if (r < r0 - 1 || r > r1 + 1) continue;
    const int ticks = s.arcRadius > 30 ? 11 : (s.arcRadius > 15 ? 11 : 7);
    const float a = ClockAngle(dx, dy);
    const float step = kSweep / (ticks - 1);
    const float i = std::round((a - kStart) / step);
    if (i < 0 || i > ticks - 1) continue;
    const float ta = kStart + i * step;
    const float d =
        Segment(dx, dy, std::sin(ta) * r0, -std::cos(ta) * r0, std::sin(ta) * r1, -std::cos(ta) * r1) - 0.45f;
    const bool major = i == 0 || i == ticks - 1 || (s.bipolar && 2 * i == ticks - 1);
    Over(c, major ? Rgb(0x8a8f98) : Rgb(0x5c6068), Cover(d));
  }

  // Meter scale: ticks between the two meters at 0, 2, 4 and 6 dB.
  for (int db = 0; db <= 6; ++db)
  {
    const float ty = kMeterY + kMeterTop + (kMeterBottom - kMeterTop) * db / 6.f;
    const float len = db % 2 == 0 ? 3.f : 1.5f;
    for (float tx : {kMeterX[0] + 21.5f, kMeterX[1] - 1.5f - len})
      Over(c, Rgb(0x6c717b), Cover(RoundRect(x, y, tx, ty - 0.35f, tx + len, ty + 0.35f, 0.3f)));
  }

  // The mode selector's well.
  const float well = RoundRect(x, y, 270.f, 214.f, 443.f, 240.f, 5.f);
  Over(c, Rgb(0xffffff, 0.05f), Cover(RoundRect(x, y, 270.f, 214.5f, 443.f, 240.5f, 5.f)));
  Over(c, Rgb(0x111214), Cover(well));
  Over(c, Rgb(0x000000, 0.5f), Smooth(-2.5f, 0.f, well) * Smooth(230.f, 214.f, y) * Cover(well));
  return c;
}

void DrawBackgroundText(Image& image, const Font& font)
{
  // Header: the name, what it is, who makes it.
  DrawText(image, font, "KESTRINE", 20.f, 18.5f, 15.f, 3.2f, Align::eLeft, kAccent);
  DrawText(image, font, "SATURATOR  /  EXCITER", 150.f, 17.5f, 8.f, 1.6f, Align::eLeft, kLabelDim);
  DrawText(image, font, "MARLOWFEN", 20.f, 231.f, 8.f, 2.f, Align::eLeft, kLabelDim);

  const float size = 8.5f;
  DrawLabel(image, font, "DRIVE", 80.f, 45.f, size, Align::eCentre);
  DrawLabel(image, font, "LOW TRIM", 182.5f, 52.f, size, Align::eCentre);
  DrawLabel(image, font, "HIGH TRIM", 262.5f, 52.f, size, Align::eCentre);
  DrawLabel(image, font, "LOW FREQ", 183.f, 194.f, size, Align::eCentre);
  DrawLabel(image, font, "HIGH FREQ", 263.f, 194.f, size, Align::eCentre);
  DrawLabel(image, font, "REDUCTION", 351.f, 40.f, size, Align::eCentre);
  DrawLabel(image, font, "L", 330.f, 181.f, size, Align::eCentre);
  DrawLabel(image, font, "R", 372.f, 181.f, size, Align::eCentre);
  for (int db = 0; db <= 6; db += 2)
  {
    const float ty = kMeterY + kMeterTop + (kMeterBottom - kMeterTop) * db / 6.f;
    DrawText(image, font, std::to_string(db), 351.f, ty + 2.5f, 7.f, 0.f, Align::eCentre, kLabelDim);
  }
  DrawText(image, font, "dB", 351.f, 181.f, 7.f, 0.5f, Align::eCentre, kLabelDim);
  DrawLabel(image, font, "HIGH-PASS", 438.5f, 37.f, size, Align::eCentre);
  DrawLabel(image, font, "MIX", 438.5f, 119.f, size, Align::eCentre);
  DrawLabel(image, font, "SOLO", 513.f, 68.f, size, Align::eRight);
  DrawLabel(image, font, "OUTPUT", 526.5f, 111.f, size, Align::eCentre);
  DrawLabel(image, font, "MODE", 262.f, 230.f, size, Align::eRight);
  DrawLabel(image, font, "BYPASS", 505.f, 230.f, size, Align::eRight);
}

// ---------------------------------------------------------------- preview

// Draws `strip`'s frame `frame` at logical (x, y) of a scale-1 picture.
void PlaceFrame(Image& preview, const Image& strip, int frames, int frame, float x, float y)
{
  const int fh = strip.height / frames;
  for (int py = 0; py + 1 < fh; py += 2)
    for (int px = 0; px + 1 < strip.width; px += 2)
    {
      Colour sum;
      for (int k = 0; k < 4; ++k)
      {
        const Colour& s = strip.At(px + (k & 1), frame * fh + py + (k >> 1));
        sum.r += s.r * 0.25f;
        sum.g += s.g * 0.25f;
        sum.b += s.b * 0.25f;
        sum.a += s.a * 0.25f;
      }
      const int tx = static_cast<int>(x) + px / 2, ty = static_cast<int>(y) + py / 2;
      if (tx < 0 || ty < 0 || tx >= preview.width || ty >= preview.height) continue;
      Colour& d = preview.At(tx, ty);
      d.r = sum.r + d.r * (1 - sum.a);
      d.g = sum.g + d.g * (1 - sum.a);
      d.b = sum.b + d.b * (1 - sum.a);
      d.a = sum.a + d.a * (1 - sum.a);
    }
}

} // namespace

int main(int argc, char** argv)
{
  if (argc < 3)
  {
    std::fprintf(stderr, "usage: %s FONT.ttf OUT_DIR [PREVIEW.png [CLOSEUP.png]]\n", argv[0]);
    return 2;
  }
  Font font;
  if (!font.Load(argv[1]))
  {
    std::fprintf(stderr, "cannot read the font %s\n", argv[1]);
    return 1;
  }
  const std::string out = std::string(argv[2]) + "/";
  bool ok = true;

  Image background(1160, 500);
  Render(background, 0, 1160, 500, PaintBackground);
  DrawBackgroundText(background, font);
  ok = WritePng(background, out + "Background@2x.png") && ok;

  KnobStrip(out + "Knob@2x.png", 240, 14400, 60, kDrive, ok);
  KnobStrip(out + "TrimKnob@2x.png", 142, 14342, 101, kTrim, ok);
  KnobStrip(out + "EQTrimKnob@2x.png", 142, 14342, 101, kEQTrim, ok);
  KnobStrip(out + "EQFreqKnob@2x.png", 92, 4560, 60, kEQFreq, ok);
  KnobStrip(out + "HPFKnob@2x.png", 122, 12200, 100, kHPF, ok);

  Image meter(41, 14460);
  for (int f = 0; f < 60; ++f)
    Render(meter, f * 241, 41, 241, [&](float x, float y) { return PaintMeter(f / 59.f, x, y); });
  ok = WritePng(meter, out + "meterbar@2x.png") && ok;

  ButtonStrip(out + "BypassBtn@2x.png", 59, 118, PaintBypass, ok);
  ButtonStrip(out + "SmallBtn@2x.png", 28, 56, PaintLamp, ok);

  if (argc > 3)
  {
    // The editor at scale 1 with a few settings, to judge the look.
    Image preview(580, 250);
    PlaceFrame(preview, background, 1, 0, 0, 0);
    auto strip = [&](const KnobStyle& s, int w, int h, int frames, int frame, float x, float y)
    {
      Image image(w, h);
      const int fh = h / frames;
      Render(image, frame * fh, w, fh,
             [&](float px, float py) { return PaintKnob(s, frame / (frames - 1.f), px, py); });
      PlaceFrame(preview, image, frames, frame, x, y);
    };
    strip(kDrive, 240, 14400, 60, 38, 20, 51);
    strip(kTrim, 142, 14342, 101, 50, 491, 116);
    strip(kEQTrim, 142, 14342, 101, 68, 147, 64);
    strip(kEQTrim, 142, 14342, 101, 35, 227, 64);
    strip(kEQFreq, 92, 4560, 60, 12, 160, 141);
    strip(kEQFreq, 92, 4560, 60, 40, 240, 141);
    strip(kHPF, 122, 12200, 100, 66, 408, 123);
    strip(kHPF, 122, 12200, 100, 55, 408, 41);
    PlaceFrame(preview, meter, 60, 25, kMeterX[0], kMeterY);
    PlaceFrame(preview, meter, 60, 18, kMeterX[1], kMeterY);
    Image bypass(59, 118), lamp(28, 56);
    Render(bypass, 0, 59, 59, [](float x, float y) { return PaintBypass(false, x, y); });
    Render(lamp, 28, 28, 28, [](float x, float y) { return PaintLamp(true, x, y); });
    PlaceFrame(preview, bypass, 2, 0, 512, 212);
    PlaceFrame(preview, lamp, 2, 1, 519, 58);
    // What the controls draw themselves: value texts (white, 17 units,
    // bottom-aligned with the font's descent) and the mode selector.
    const Colour white = Rgb(0xffffff);
    auto value = [&](const char* text, float l, float r, float bottom)
    {
      DrawText(preview, font, text, (l + r) * 0.5f, bottom - 0.35f * 17.f, 17.f, 0.f, Align::eCentre, white,
               1);
    };
    value("10.4 dB", 20, 140, 169);
    value("0.0 dB", 491, 562, 191);
    value("3.6 dB", 147, 218, 139);
    value("-3.0 dB", 227, 298, 139);
    value("190 Hz", 160, 206, 183);
    value("1870 Hz", 240, 286, 183);
    value("0.0 dB", 408, 469, 188);
    value("3000 Hz", 408, 469, 106);
    Image mode(580, 250);
    Render(mode, 0, 580, 250,
           [](float x, float y)
           {
             Colour c;
             for (int i = 0; i < 2; ++i)
             {
               const float cx = 275.f + 81.5f * i + 7.f, cy = 227.f;
               Over(c, Rgb(0x828282), Cover(std::fabs(Length(x - cx, y - cy) - 6.f) - 0.5f));
               if (i == 0) Over(c, Rgb(0xffffff), Cover(Length(x - cx, y - cy) - 4.f));
             }
             return c;
           });
    PlaceFrame(preview, mode, 1, 0, 0, 0);
    DrawText(preview, font, "Saturator", 291.f, 227.f + 0.35f * 17.f - 0.5f * 17.f * 1.05f + 17.f * 0.7f,
             17.f, 0.f, Align::eLeft, white, 1);
    DrawText(preview, font, "Exciter", 372.5f, 227.f + 0.35f * 17.f - 0.5f * 17.f * 1.05f + 17.f * 0.7f, 17.f,
             0.f, Align::eLeft, Rgb(0x828282), 1);
    ok = WritePng(preview, argv[3]) && ok;
  }
  if (argc > 4)
  {
    // A close-up at stored resolution: first, middle and last frame of each strip.
    Image sheet(900, 580);
    for (Colour& c : sheet.pixels) c = Rgb(0x26282d);
    auto copy = [&](const Image& src, int frames, int frame, int x, int y)
    {
      const int fh = src.height / frames;
      for (int py = 0; py < fh; ++py)
        for (int px = 0; px < src.width; ++px)
        {
          if (x + px >= sheet.width || y + py >= sheet.height) continue;
          Over(sheet.At(x + px, y + py), src.At(px, frame * fh + py), 1.f);
        }
    };
    auto three = [&](const KnobStyle& s, int w, int h, int frames, int x0, int y)
    {
      Image image(w, h);
      const int fh = h / frames;
      for (int i = 0; i < 3; ++i)
      {
        const int frame = i * (frames - 1) / 2;
        Render(image, frame * fh, w, fh,
               [&](float px, float py) { return PaintKnob(s, frame / (frames - 1.f), px, py); });
        copy(image, frames, frame, x0 + i * (w + 10), y);
      }
    };
    three(kDrive, 240, 14400, 60, 10, 10);
    three(kTrim, 142, 14342, 101, 10, 260);
    three(kEQTrim, 142, 14342, 101, 10, 420);
    three(kHPF, 122, 12200, 100, 480, 10);
    three(kEQFreq, 92, 4560, 60, 480, 150);
    for (int i = 0; i < 4; ++i) copy(meter, 60, i * 59 / 3, 480 + i * 50, 260);
    Image bypass(59, 118), lamp(28, 56);
    Render(bypass, 0, 59, 59, [](float x, float y) { return PaintBypass(false, x, y); });
    copy(bypass, 2, 0, 700, 260);
    Render(bypass, 59, 59, 59, [](float x, float y) { return PaintBypass(true, x, y); });
    copy(bypass, 2, 1, 780, 260);
    for (int f = 0; f < 2; ++f)
      Render(lamp, f * 28, 28, 28, [f](float x, float y) { return PaintLamp(f == 1, x, y); });
    copy(lamp, 2, 0, 700, 340);
    copy(lamp, 2, 1, 760, 340);
    ok = WritePng(sheet, argv[4]) && ok;
  }
  return ok ? 0 : 1;
}
