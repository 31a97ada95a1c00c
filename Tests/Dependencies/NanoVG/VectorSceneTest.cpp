// Scenes drawn through the vector layer and compared with golden pictures.
#include <cmath>
#include <vector>

#include <GL/gl.h>

#include "VectorTestSupport.h"

namespace kvg_test
{
namespace
{
const float kPi = 3.14159265f;

// What a scene may draw besides paths.
struct Resources
{
  int font = -1;
  int photo = -1; // 32 x 32 RGBA, straight alpha
  int layer = -1; // a framebuffer's texture holding a small drawing
};

struct Scene
{
  const char* name;
  float w, h, ratio;
  void (*draw)(NVGcontext*, const Resources&);
};

void Star(NVGcontext* vg, float cx, float cy, float r)
{
  for (int i = 0; i < 5; ++i)
  {
    const float a = -kPi / 2 + static_cast<float>(i) * 4 * kPi / 5;
    if (i == 0)
      nvgMoveTo(vg, cx + r * std::cos(a), cy + r * std::sin(a));
    else
      nvgLineTo(vg, cx + r * std::cos(a), cy + r * std::sin(a));
  }
  nvgClosePath(vg);
}

void Background(NVGcontext* vg, float w, float h)
{
  nvgBeginPath(vg);
  nvgRect(vg, 0, 0, w, h);
  nvgFillColor(vg, nvgRGB(24, 26, 32));
  nvgFill(vg);
}

void ConvexFill(NVGcontext* vg, const Resources&)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, 6, 56);
  nvgLineTo(vg, 36, 6);
  nvgLineTo(vg, 42, 58);
  nvgClosePath(vg);
  nvgFillColor(vg, nvgRGB(220, 50, 40));
  nvgFill(vg);
  nvgSave(vg);
  nvgTranslate(vg, 70, 32);
  nvgRotate(vg, 0.4f);
  nvgBeginPath(vg);
  nvgRect(vg, -16, -10, 32, 20);
  nvgFillColor(vg, nvgRGBA(60, 200, 90, 200));
  nvgFill(vg);
  nvgRestore(vg);
}

void ConcaveFill(NVGcontext* vg, const Resources&)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, 4, 8);
  nvgLineTo(vg, 40, 32);
  nvgLineTo(vg, 4, 56);
  nvgLineTo(vg, 16, 32);
  nvgClosePath(vg);
  nvgFillColor(vg, nvgRGB(70, 120, 240));
  nvgFill(vg);
  // A self-crossing outline: non-zero fills its centre too.
  nvgBeginPath(vg);
  Star(vg, 70, 34, 28);
  nvgFillColor(vg, nvgRGB(240, 200, 60));
  nvgFill(vg);
}

void EvenOddHole(NVGcontext* vg, const Resources&)
{
  nvgBeginPath(vg);
  nvgCircle(vg, 30, 32, 26);
  nvgCircle(vg, 30, 32, 12);
  nvgPathWinding(vg, NVG_HOLE);
  nvgFillColor(vg, nvgRGB(200, 80, 200));
  nvgFill(vg);
  nvgBeginPath(vg);
  Star(vg, 88, 34, 28);
  nvgFillRule(vg, NVG_EVENODD);
  nvgFillColor(vg, nvgRGB(80, 200, 200));
  nvgFill(vg);
  nvgFillRule(vg, NVG_NONZERO);
  // Two solid subpaths overlapping: their union, no hole.
  nvgBeginPath(vg);
  nvgCircle(vg, 136, 32, 14);
  nvgCircle(vg, 150, 32, 14);
  nvgFillColor(vg, nvgRGBA(240, 240, 240, 160));
  nvgFill(vg);
}

void StrokeCaps(NVGcontext* vg, const Resources&)
{
  const int caps[] = {NVG_BUTT, NVG_ROUND, NVG_SQUARE};
  for (int i = 0; i < 3; ++i)
  {
    const float y = 14 + 18 * static_cast<float>(i);
    nvgBeginPath(vg);
    nvgMoveTo(vg, 20, y);
    nvgLineTo(vg, 76, y);
    nvgLineCap(vg, caps[i]);
    nvgStrokeWidth(vg, 10);
    nvgStrokeColor(vg, nvgRGBA(250, 160, 40, 220));
    nvgStroke(vg);
  }
  // The lines' ends, for reference.
  nvgBeginPath(vg);
  nvgMoveTo(vg, 20.5f, 2);
  nvgLineTo(vg, 20.5f, 62);
  nvgMoveTo(vg, 76.5f, 2);
  nvgLineTo(vg, 76.5f, 62);
  nvgLineCap(vg, NVG_BUTT);
  nvgStrokeWidth(vg, 1);
  nvgStrokeColor(vg, nvgRGB(255, 255, 255));
  nvgStroke(vg);
}

void StrokeJoins(NVGcontext* vg, const Resources&)
{
  const int joins[] = {NVG_MITER, NVG_ROUND, NVG_BEVEL};
  for (int i = 0; i < 3; ++i)
  {
    const float x = 44 * static_cast<float>(i);
    nvgBeginPath(vg);
    nvgMoveTo(vg, x + 8, 54);
    nvgLineTo(vg, x + 22, 14);
    nvgLineTo(vg, x + 36, 54);
    nvgLineJoin(vg, joins[i]);
    nvgStrokeWidth(vg, 8);
    nvgStrokeColor(vg, nvgRGBA(120, 220, 120, 230));
    nvgStroke(vg);
  }
}

void MiterLimit(NVGcontext* vg, const Resources&)
{
  // The same sharp corner (miter length 16 widths) with limits 10 (bevelled) and 20.
  const float limits[] = {10, 20};
  for (int i = 0; i < 2; ++i)
  {
    const float x = 40 * static_cast<float>(i);
    nvgBeginPath(vg);
    nvgMoveTo(vg, x + 18, 60);
    nvgLineTo(vg, x + 20, 28);
    nvgLineTo(vg, x + 22, 60);
    nvgLineJoin(vg, NVG_MITER);
    nvgMiterLimit(vg, limits[i]);
    nvgStrokeWidth(vg, 3);
    nvgStrokeColor(vg, nvgRGB(230, 230, 90));
    nvgStroke(vg);
  }
}

void ClosedStrokes(NVGcontext* vg, const Resources&)
{
  nvgBeginPath(vg);
  nvgRoundedRect(vg, 8, 8, 40, 48, 8);
  nvgLineJoin(vg, NVG_ROUND);
  nvgStrokeWidth(vg, 5);
  nvgStrokeColor(vg, nvgRGBA(90, 160, 250, 180));
  nvgStroke(vg);
  // A hairline: thinner than a pixel, drawn one pixel wide and fainter.
  nvgBeginPath(vg);
  nvgCircle(vg, 74, 32, 18);
  nvgStrokeWidth(vg, 0.5f);
  nvgStrokeColor(vg, nvgRGB(255, 255, 255));
  nvgStroke(vg);
}

void Curves(NVGcontext* vg, const Resources&)
{
  nvgStrokeWidth(vg, 3);
  nvgStrokeColor(vg, nvgRGB(250, 120, 120));
  nvgBeginPath(vg);
  nvgArc(vg, 24, 30, 18, -kPi / 2, kPi / 3, NVG_CW);
  nvgStroke(vg);
  nvgBeginPath(vg);
  nvgArc(vg, 24, 30, 12, -kPi / 2, kPi / 3, NVG_CCW);
  nvgStrokeColor(vg, nvgRGB(120, 250, 120));
  nvgStroke(vg);
  nvgBeginPath(vg);
  nvgMoveTo(vg, 50, 56);
  nvgQuadTo(vg, 70, 0, 90, 56);
  nvgStrokeColor(vg, nvgRGB(120, 160, 250));
  nvgStroke(vg);
  nvgBeginPath(vg);
  nvgMoveTo(vg, 100, 56);
  nvgArcTo(vg, 100, 8, 140, 8, 16);
  nvgLineTo(vg, 140, 8);
  nvgStrokeColor(vg, nvgRGB(250, 250, 250));
  nvgStroke(vg);
  nvgBeginPath(vg);
  nvgEllipse(vg, 124, 42, 14, 8);
  nvgFillColor(vg, nvgRGB(200, 120, 250));
  nvgFill(vg);
}

void Gradients(NVGcontext* vg, const Resources&)
{
  nvgBeginPath(vg);
  nvgRect(vg, 4, 4, 56, 56);
  nvgFillPaint(vg, nvgLinearGradient(vg, 4, 4, 60, 60, nvgRGB(240, 60, 60), nvgRGB(60, 60, 240)));
  nvgFill(vg);
  nvgBeginPath(vg);
  nvgCircle(vg, 96, 32, 28);
  nvgFillPaint(vg, nvgRadialGradient(vg, 96, 32, 4, 28, nvgRGB(255, 255, 255), nvgRGBA(0, 160, 80, 0)));
  nvgFill(vg);
  nvgBeginPath(vg);
  nvgRoundedRect(vg, 130, 6, 24, 52, 6);
  nvgStrokeWidth(vg, 4);
  nvgStrokePaint(vg, nvgLinearGradient(vg, 0, 6, 0, 58, nvgRGB(250, 220, 0), nvgRGBA(250, 220, 0, 40)));
  nvgStroke(vg);
}

void ImagePattern(NVGcontext* vg, const Resources& r)
{
  Background(vg, 96, 48);
  // Full opacity, then a quarter of it (a disabled control's bitmap).
  const float alphas[] = {1.0f, 0.25f};
  for (int i = 0; i < 2; ++i)
  {
    const float x = 8 + 48 * static_cast<float>(i);
    nvgBeginPath(vg);
    nvgRect(vg, x, 8, 32, 32);
    nvgFillPaint(vg, nvgImagePattern(vg, x, 8, 32, 32, 0, r.photo, alphas[i]));
    nvgFill(vg);
  }
}

void Scissor(NVGcontext* vg, const Resources&)
{
  nvgScissor(vg, 10, 8, 40, 30);
  nvgBeginPath(vg);
  nvgCircle(vg, 30, 32, 28);
  nvgFillColor(vg, nvgRGB(240, 120, 40));
  nvgFill(vg);
  nvgResetScissor(vg);
  nvgSave(vg);
  nvgTranslate(vg, 76, 32);
  nvgRotate(vg, kPi / 6);
  nvgScissor(vg, -16, -16, 32, 32);
  nvgIntersectScissor(vg, -30, -8, 60, 16);
  nvgBeginPath(vg);
  nvgRect(vg, -40, -40, 80, 80);
  nvgFillColor(vg, nvgRGB(80, 200, 240));
  nvgFill(vg);
  nvgRestore(vg);
}

void Transforms(NVGcontext* vg, const Resources&)
{
  for (int i = 0; i < 4; ++i)
  {
    nvgSave(vg);
    nvgTranslate(vg, 16 + 28 * static_cast<float>(i), 32);
    nvgRotate(vg, static_cast<float>(i) * kPi / 8);
    nvgScale(vg, 1 + 0.2f * static_cast<float>(i), 1);
    nvgBeginPath(vg);
    nvgRect(vg, -8, -8, 16, 16);
    nvgFillColor(vg, nvgRGBA(255, 255, 255, 200));
    nvgFill(vg);
    nvgRestore(vg);
  }
}

void Layer(NVGcontext* vg, const Resources& r)
{
  Background(vg, 96, 64);
  // The framebuffer's picture as drawn, then turned and half transparent.
  nvgBeginPath(vg);
  nvgRect(vg, 4, 4, 40, 30);
  nvgFillPaint(vg, nvgImagePattern(vg, 4, 4, 40, 30, 0, r.layer, 1));
  nvgFill(vg);
  nvgSave(vg);
  nvgTranslate(vg, 70, 36);
  nvgRotate(vg, 0.3f);
  nvgBeginPath(vg);
  nvgRect(vg, -20, -15, 40, 30);
  nvgFillPaint(vg, nvgImagePattern(vg, -20, -15, 40, 30, 0, r.layer, 0.5f));
  nvgFill(vg);
  nvgRestore(vg);
}

void Scaled(NVGcontext* vg, const Resources& r)
{
  nvgBeginPath(vg);
  nvgRoundedRect(vg, 4, 4, 56, 40, 6);
  nvgStrokeWidth(vg, 2);
  nvgStrokeColor(vg, nvgRGB(200, 200, 200));
  nvgStroke(vg);
  nvgFontFaceId(vg, r.font);
  nvgFontSize(vg, 17);
  nvgTextAlign(vg, NVG_ALIGN_CENTER | NVG_ALIGN_MIDDLE);
  nvgFillColor(vg, nvgRGB(255, 255, 255));
  nvgText(vg, 32, 24, "6 dB", nullptr);
}

void TextGrid(NVGcontext* vg, const Resources& r, float size)
{
  Background(vg, 480, 150);
  const int horizontal[] = {NVG_ALIGN_LEFT, NVG_ALIGN_CENTER, NVG_ALIGN_RIGHT};
  const int vertical[] = {NVG_ALIGN_TOP, NVG_ALIGN_MIDDLE, NVG_ALIGN_BOTTOM, NVG_ALIGN_BASELINE};
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col)
    {
      const float x = 80 + 160 * static_cast<float>(col), y = 22 + 36 * static_cast<float>(row);
      nvgBeginPath(vg);
      nvgMoveTo(vg, x - 60, y + 0.5f);
      nvgLineTo(vg, x + 60, y + 0.5f);
      nvgMoveTo(vg, x + 0.5f, y - 14);
      nvgLineTo(vg, x + 0.5f, y + 14);
      nvgStrokeWidth(vg, 1);
      nvgStrokeColor(vg, nvgRGB(90, 90, 110));
      nvgStroke(vg);
      nvgFontFaceId(vg, r.font);
      nvgFontSize(vg, size);
      nvgTextAlign(vg, horizontal[col] | vertical[row]);
      nvgFillColor(vg, nvgRGB(255, 255, 255));
      nvgText(vg, x, y, "Drive 6.0", nullptr);
    }
}

void Text17(NVGcontext* vg, const Resources& r)
{
  TextGrid(vg, r, 17);
}
void Text2125(NVGcontext* vg, const Resources& r)
{
  TextGrid(vg, r, 21.25f);
}

// The factor pairs of the ten blend methods the graphics backend uses.
struct BlendCase
{
  const char* name;
  int src, dst;
};
const BlendCase kBlends[] = {
    {"source_over", NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA},
    {"source_in", NVG_DST_ALPHA, NVG_ZERO},
    {"source_out", NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO},
    {"source_atop", NVG_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},
    {"destination_over", NVG_ONE_MINUS_DST_ALPHA, NVG_ONE},
    {"destination_in", NVG_ZERO, NVG_SRC_ALPHA},
    {"destination_out", NVG_ZERO, NVG_ONE_MINUS_SRC_ALPHA},
    {"destination_atop", NVG_ONE_MINUS_DST_ALPHA, NVG_SRC_ALPHA},
    {"add", NVG_SRC_ALPHA, NVG_DST_ALPHA},
    {"xor", NVG_ONE_MINUS_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},
};

const Scene kScenes[] = {
    {"convex_fill", 96, 64, 1, ConvexFill},
    {"concave_fill", 100, 64, 1, ConcaveFill},
    {"even_odd_hole", 168, 64, 1, EvenOddHole},
    {"stroke_caps", 96, 64, 1, StrokeCaps},
    {"stroke_joins", 132, 64, 1, StrokeJoins},
    {"miter_limit", 80, 64, 1, MiterLimit},
    {"closed_strokes", 96, 64, 1, ClosedStrokes},
    {"curves", 160, 64, 1, Curves},
    {"gradients", 160, 64, 1, Gradients},
    {"image_pattern_quarter_alpha", 96, 48, 1, ImagePattern},
    {"scissor", 112, 64, 1, Scissor},
    {"transforms", 120, 64, 1, Transforms},
    {"framebuffer_as_image", 96, 64, 1, Layer},
    {"pixel_ratio_1_5", 64, 48, 1.5f, Scaled},
    {"text_17", 480, 150, 1, Text17},
    {"text_21_25", 480, 150, 1, Text2125},
};

class SceneTest : public VectorTest
{
protected:
  void SetUp() override
  {
    VectorTest::SetUp();
    if (HasFatalFailure()) return;
    mRes.font = mFont;
    // A picture with straight alpha: colour ramps, a checker and a
    // transparent corner.
    std::vector<unsigned char> px(32 * 32 * 4);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
      {
        unsigned char* p = &px[(y * 32 + x) * 4];
        const bool check = ((x / 4) + (y / 4)) % 2 == 0;
        p[0] = static_cast<unsigned char>(x * 8);
        p[1] = static_cast<unsigned char>(y * 8);
        p[2] = check ? 255 : 60;
        p[3] = x + y < 12 ? 0 : 255;
      }
    mRes.photo = nvgCreateImageRGBA(mVg, 32, 32, 0, px.data());
    ASSERT_GT(mRes.photo, 0);
    mLayer = nvgluCreateFramebuffer(mVg, 40, 30, NVG_IMAGE_FLIPY | NVG_IMAGE_PREMULTIPLIED);
    ASSERT_NE(mLayer, nullptr);
    nvgluBindFramebuffer(mLayer);
    glViewport(0, 0, 40, 30);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    nvgBeginFrame(mVg, 40, 30, 1);
    nvgBeginPath(mVg);
    nvgCircle(mVg, 14, 15, 11);
    nvgFillColor(mVg, nvgRGBA(250, 80, 80, 200));
    nvgFill(mVg);
    nvgBeginPath(mVg);
    nvgRect(mVg, 22, 2, 16, 10); // the top right corner: shows the picture is upright
    nvgFillColor(mVg, nvgRGB(80, 250, 80));
    nvgFill(mVg);
    nvgEndFrame(mVg);
    nvgluBindFramebuffer(nullptr);
    mRes.layer = mLayer->image;
  }
  void TearDown() override
  {
    if (mLayer) nvgluDeleteFramebuffer(mLayer);
    VectorTest::TearDown();
  }

  Resources mRes;
  NVGLUframebuffer* mLayer = nullptr;
};

TEST_F(SceneTest, ScenesMatchTheirGoldens)
{
  for (const Scene& s : kScenes)
  {
    SCOPED_TRACE(s.name);
    const Resources& res = mRes;
    const Picture p = Render(mVg, s.w, s.h, s.ratio, [&](NVGcontext* vg) { s.draw(vg, res); });
    EXPECT_TRUE(MatchesGolden(s.name, p));
  }
}

TEST_F(SceneTest, BlendFactorPairsMatchTheirGoldens)
{
  for (const BlendCase& b : kBlends)
  {
    SCOPED_TRACE(b.name);
    const Picture p = Render(mVg, 48, 48, 1,
                             [&](NVGcontext* vg)
                             {
                               nvgBeginPath(vg);
                               nvgCircle(vg, 18, 26, 15);
                               nvgFillColor(vg, nvgRGB(40, 90, 230));
                               nvgFill(vg);
                               nvgGlobalCompositeBlendFunc(vg, b.src, b.dst);
                               nvgBeginPath(vg);
                               nvgRect(vg, 16, 8, 28, 28);
                               nvgFillColor(vg, nvgRGBA(230, 70, 40, 200));
                               nvgFill(vg);
                             });
    EXPECT_TRUE(MatchesGolden(std::string("blend_") + b.name, p));
  }
}

// The blend arithmetic at one interior pixel, against its definition: result =
// source x source factor + destination x destination factor, on premultiplied
// colour.
TEST_F(SceneTest, BlendFactorPairsComposeAsDefined)
{
  const float dst[4] = {0.2f, 0.4f, 0.6f, 0.8f}; // premultiplied (0.25, 0.5, 0.75) at 0.8
  const float src[4] = {0.6f, 0.3f, 0.0f, 0.6f}; // premultiplied (1, 0.5, 0) at 0.6
  auto factor = [&](int f)
  {
    switch (f)
    {
    case NVG_ZERO:
      return 0.0f;
    case NVG_ONE:
      return 1.0f;
    case NVG_SRC_ALPHA:
      return src[3];
    case NVG_ONE_MINUS_SRC_ALPHA:
      return 1 - src[3];
    case NVG_DST_ALPHA:
      return dst[3];
    case NVG_ONE_MINUS_DST_ALPHA:
      return 1 - dst[3];
    default:
      ADD_FAILURE() << "factor " << f;
      return 0.0f;
    }
  };
  for (const BlendCase& b : kBlends)
  {
    SCOPED_TRACE(b.name);
    const Picture p = Render(mVg, 16, 16, 1,
                             [&](NVGcontext* vg)
                             {
                               nvgBeginPath(vg);
                               nvgRect(vg, 0, 0, 16, 16);
                               nvgFillColor(vg, nvgRGBAf(0.25f, 0.5f, 0.75f, 0.8f));
                               nvgFill(vg);
                               nvgGlobalCompositeBlendFunc(vg, b.src, b.dst);
                               nvgBeginPath(vg);
                               nvgRect(vg, 4, 4, 8, 8);
                               nvgFillColor(vg, nvgRGBAf(1.0f, 0.5f, 0.0f, 0.6f));
                               nvgFill(vg);
                             });
    ASSERT_EQ(p.w, 16);
    const unsigned char* got = p.At(8, 8);
    for (int c = 0; c < 4; ++c)
    {
      const float want = std::min(1.0f, src[c] * factor(b.src) + dst[c] * factor(b.dst)) * 255.0f;
      EXPECT_NEAR(got[c], want, 2.0) << "channel " << c;
    }
  }
}

} // namespace
} // namespace kvg_test
