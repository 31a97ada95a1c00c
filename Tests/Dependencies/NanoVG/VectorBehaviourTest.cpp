// What the vector layer's operations mean, checked at chosen pixels.
#include <cmath>

#include "AllocationCounter.h"
#include "VectorTestSupport.h"

namespace kvg_test
{
namespace
{
const float kPi = 3.14159265f;

int Alpha(const Picture& p, int x, int y)
{
  return p.At(x, y)[3];
}

struct Ink
{
  int minx = 1 << 30, miny = 1 << 30, maxx = -1, maxy = -1;
};

Ink InkBox(const Picture& p)
{
  Ink ink;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x)
      if (Alpha(p, x, y) > 96)
      {
        ink.minx = std::min(ink.minx, x);
        ink.maxx = std::max(ink.maxx, x);
        ink.miny = std::min(ink.miny, y);
        ink.maxy = std::max(ink.maxy, y);
      }
  return ink;
}

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

using VectorBehaviourTest = VectorTest;

TEST_F(VectorBehaviourTest, FillRulesDecideWhetherTheCentreIsInside)
{
  enum Shape
  {
    kStar,
    kNestedCircles,
    kNestedCirclesInnerHole,
  };
  struct Case
  {
    const char* name;
    Shape shape;
    int rule;
    bool centreFilled;
  } cases[] = {
      {"star non-zero", kStar, NVG_NONZERO, true},
      {"star even-odd", kStar, NVG_EVENODD, false},
      {"nested solid circles non-zero", kNestedCircles, NVG_NONZERO, true},
      {"nested circles even-odd", kNestedCircles, NVG_EVENODD, false},
      {"inner circle marked as hole", kNestedCirclesInnerHole, NVG_NONZERO, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Picture p = Render(mVg, 64, 64, 1,
                             [&](NVGcontext* vg)
                             {
                               nvgBeginPath(vg);
                               if (c.shape == kStar)
                                 Star(vg, 32, 34, 30);
                               else
                               {
                                 nvgCircle(vg, 32, 32, 28);
                                 nvgCircle(vg, 32, 32, 10);
                                 if (c.shape == kNestedCirclesInnerHole) nvgPathWinding(vg, NVG_HOLE);
                               }
                               nvgFillRule(vg, c.rule);
                               nvgFillColor(vg, nvgRGB(255, 255, 255));
                               nvgFill(vg);
                             });
    EXPECT_EQ(Alpha(p, 32, 32), c.centreFilled ? 255 : 0);
    // Always inside: a star's arm, or the ring between the circles.
    EXPECT_EQ(c.shape == kStar ? Alpha(p, 32, 10) : Alpha(p, 32, 12), 255);
    EXPECT_EQ(Alpha(p, 1, 1), 0);
  }
}

TEST_F(VectorBehaviourTest, EdgesAreAntialiasedOutsideTheShapeOnly)
{
  struct Case
  {
    float edge;  // right edge of a rectangle starting at x = 0
    bool aa;     // antialiasing on
    int inside;  // alpha of pixel column 9 (centre 9.5)
    int fringe;  // alpha of column 10 (centre 10.5)
    int outside; // alpha of column 11
  } cases[] = {
      {10.0f, true, 255, 0, 0},    // on a pixel boundary: crisp
      {10.25f, true, 255, 64, 0},  // a quarter of column 10 covered
      {10.25f, false, 255, 0, 0},  // no fringe
      {10.75f, true, 255, 255, 0}, // centre of column 10 inside: fully covered
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "edge " << c.edge << (c.aa ? " antialiased" : " aliased"));
    const Picture p = Render(mVg, 16, 8, 1,
                             [&](NVGcontext* vg)
                             {
                               nvgShapeAntiAlias(vg, c.aa);
                               nvgBeginPath(vg);
                               nvgRect(vg, 0, 0, c.edge, 8);
                               nvgFillColor(vg, nvgRGB(255, 255, 255));
                               nvgFill(vg);
                             });
    EXPECT_EQ(Alpha(p, 9, 4), c.inside);
    EXPECT_NEAR(Alpha(p, 10, 4), c.fringe, 2);
    EXPECT_EQ(Alpha(p, 11, 4), c.outside);
  }
}

TEST_F(VectorBehaviourTest, ImagePatternAlphaScalesThePicture)
{
  const std::vector<unsigned char> white(8 * 8 * 4, 255);
  const int image = nvgCreateImageRGBA(mVg, 8, 8, 0, white.data());
  ASSERT_GT(image, 0);
  const Picture p = Render(mVg, 8, 8, 1,
                           [&](NVGcontext* vg)
                           {
                             nvgBeginPath(vg);
                             nvgRect(vg, 0, 0, 8, 8);
                             nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 8, 8, 0, image, 0.25f));
                             nvgFill(vg);
                           });
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(p.At(4, 4)[c], 64, 1) << "channel " << c;
  nvgDeleteImage(mVg, image);
}

TEST_F(VectorBehaviourTest, ImageFlagsChooseRowOrderAndAlphaTreatment)
{
  // Two rows: red on top, green below, both at half alpha.
  const unsigned char straight[] = {255, 0, 0, 128, 0, 255, 0, 128};
  const unsigned char premultiplied[] = {128, 0, 0, 128, 0, 128, 0, 128};
  struct Case
  {
    const char* name;
    int flags;
    const unsigned char* data;
    int topChannel; // the channel lit in the top row as drawn
  } cases[] = {
      {"straight", 0, straight, 0},
      {"premultiplied", NVG_IMAGE_PREMULTIPLIED, premultiplied, 0},
      {"bottom-up", NVG_IMAGE_FLIPY, straight, 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const int image = nvgCreateImageRGBA(mVg, 1, 2, c.flags | NVG_IMAGE_NEAREST, c.data);
    ASSERT_GT(image, 0);
    const Picture p = Render(mVg, 4, 4, 1,
                             [&](NVGcontext* vg)
                             {
                               nvgBeginPath(vg);
                               nvgRect(vg, 0, 0, 4, 4);
                               nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 4, 4, 0, image, 1));
                               nvgFill(vg);
                             });
    EXPECT_NEAR(p.At(1, 0)[c.topChannel], 128, 1);
    EXPECT_NEAR(p.At(1, 0)[1 - c.topChannel], 0, 1);
    EXPECT_NEAR(p.At(1, 0)[3], 128, 1);
    nvgDeleteImage(mVg, image);
  }
}

TEST_F(VectorBehaviourTest, TextIsAnchoredByItsAlignment)
{
  // "HH" has no ascender above the capitals and nothing below the baseline.
  const float ax = 60, ay = 40;
  struct Case
  {
    int align;
    const char* name;
  } cases[] = {
      {NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE, "left baseline"},
      {NVG_ALIGN_CENTER | NVG_ALIGN_BASELINE, "centre"},
      {NVG_ALIGN_RIGHT | NVG_ALIGN_BASELINE, "right"},
      {NVG_ALIGN_LEFT | NVG_ALIGN_TOP, "top"},
      {NVG_ALIGN_LEFT | NVG_ALIGN_MIDDLE, "middle"},
      {NVG_ALIGN_LEFT | NVG_ALIGN_BOTTOM, "bottom"},
  };
  for (float size : {17.0f, 21.25f})
    for (const Case& c : cases)
    {
      SCOPED_TRACE(testing::Message() << c.name << " at " << size);
      const Picture p = Render(mVg, 120, 80, 1,
                               [&](NVGcontext* vg)
                               {
                                 nvgFontFaceId(vg, mFont);
                                 nvgFontSize(vg, size);
                                 nvgTextAlign(vg, c.align);
                                 nvgFillColor(vg, nvgRGB(255, 255, 255));
                                 nvgText(vg, ax, ay, "HH", nullptr);
                               });
      const Ink ink = InkBox(p);
      ASSERT_GE(ink.maxx, 0) << "no text drawn";
      if (c.align & NVG_ALIGN_LEFT)
      {
        EXPECT_GE(ink.minx, ax - 1);
        EXPECT_LE(ink.minx, ax + 3); // the side bearing
      }
      if (c.align & NVG_ALIGN_RIGHT)
      {
        EXPECT_LE(ink.maxx, ax);
        EXPECT_GE(ink.maxx, ax - 4);
      }
      if (c.align & NVG_ALIGN_CENTER)
      {
        EXPECT_NEAR((ink.minx + ink.maxx + 1) * 0.5f, ax, 1.5f);
      }
      if (c.align & NVG_ALIGN_BASELINE)
      {
        EXPECT_NEAR(ink.maxy + 1, ay, 1);
      }
      if (c.align & NVG_ALIGN_TOP)
      {
        EXPECT_GT(ink.miny, ay);
      }
      if (c.align & NVG_ALIGN_BOTTOM)
      {
        EXPECT_LT(ink.maxy, ay);
      }
      if (c.align & NVG_ALIGN_MIDDLE)
      {
        EXPECT_LT(ink.miny, ay);
        EXPECT_GT(ink.maxy, ay);
      }
    }
}

TEST_F(VectorBehaviourTest, TextBoundsMeasureWhatTextDraws)
{
  nvgFontFaceId(mVg, mFont);
  float advance17 = 0;
  for (float size : {17.0f, 21.25f})
  {
    SCOPED_TRACE(size);
    nvgFontSize(mVg, size);
    nvgTextAlign(mVg, NVG_ALIGN_CENTER | NVG_ALIGN_MIDDLE);
    float b[4] = {};
    const float advance = nvgTextBounds(mVg, 100, 50, "Saturation", nullptr, b);
    EXPECT_GT(advance, size * 3);
    EXPECT_NEAR(b[2] - b[0], advance, 1e-3f);
    EXPECT_NEAR((b[0] + b[2]) * 0.5f, 100, 1e-3f);
    EXPECT_LT(b[1], 50);
    EXPECT_GT(b[3], 50);
    float asc = 0, desc = 0, lineh = 0;
    nvgTextMetrics(mVg, &asc, &desc, &lineh);
    EXPECT_NEAR(b[3] - b[1], asc - desc, 1e-3f);
    EXPECT_GE(lineh, asc - desc);
    if (size == 17.0f)
    {
      advance17 = advance;
    }
    else
    {
      EXPECT_NEAR(advance / advance17, 21.25f / 17.0f, 0.03f); // glyph advances scale with the size
    }
    // Drawing returns where the next text would start.
    Render(mVg, 200, 100, 1,
           [&](NVGcontext* vg)
           {
             nvgFontFaceId(vg, mFont);
             nvgFontSize(vg, size);
             EXPECT_NEAR(nvgText(vg, 10, 50, "Saturation", nullptr), 10 + advance, 1e-3f);
           });
  }
}

TEST_F(VectorBehaviourTest, PixelRatioScalesUnitsToPixels)
{
  // 580 x 250 units at 1.5 pixels each: an 870 x 375 framebuffer.
  NVGLUframebuffer* fb = nvgluCreateFramebuffer(mVg, 870, 375, 0);
  ASSERT_NE(fb, nullptr);
  int w = 0, h = 0;
  nvgImageSize(mVg, fb->image, &w, &h);
  EXPECT_EQ(w, 870);
  EXPECT_EQ(h, 375);
  nvgluDeleteFramebuffer(fb);

  const Picture p = Render(mVg, 40, 40, 1.5f,
                           [](NVGcontext* vg)
                           {
                             nvgBeginPath(vg);
                             nvgRect(vg, 10, 10, 20, 20);
                             nvgFillColor(vg, nvgRGB(255, 255, 255));
                             nvgFill(vg);
                           });
  ASSERT_EQ(p.w, 60);
  EXPECT_EQ(Alpha(p, 14, 30), 0);
  EXPECT_EQ(Alpha(p, 15, 30), 255);
  EXPECT_EQ(Alpha(p, 44, 30), 255);
  EXPECT_EQ(Alpha(p, 45, 30), 0);
}

// The editor redraws on the user-interface thread many times a second: once
// the first frames have sized the layer's memory, recording a frame allocates
// nothing (what OpenGL does when the frame ends is the driver's business).
TEST_F(VectorBehaviourTest, RecordingAWarmFrameAllocatesNothing)
{
  const std::vector<unsigned char> white(4 * 4 * 4, 255);
  const int image = nvgCreateImageRGBA(mVg, 4, 4, 0, white.data());
  ASSERT_GT(image, 0);
  auto draw = [&](NVGcontext* vg)
  {
    nvgBeginPath(vg);
    nvgCircle(vg, 30, 30, 20);
    nvgCircle(vg, 30, 30, 8);
    nvgPathWinding(vg, NVG_HOLE);
    nvgFillPaint(vg, nvgRadialGradient(vg, 30, 30, 8, 20, nvgRGB(255, 0, 0), nvgRGB(0, 0, 255)));
    nvgFill(vg);
    nvgBeginPath(vg);
    Star(vg, 90, 30, 25);
    nvgFillRule(vg, NVG_EVENODD);
    nvgFill(vg);
    nvgBeginPath(vg);
    nvgMoveTo(vg, 10, 70);
    nvgQuadTo(vg, 60, 40, 110, 70);
    nvgLineJoin(vg, NVG_ROUND);
    nvgLineCap(vg, NVG_ROUND);
    nvgStrokeWidth(vg, 4);
    nvgStroke(vg);
    nvgScissor(vg, 0, 0, 60, 80);
    nvgBeginPath(vg);
    nvgRect(vg, 40, 50, 40, 20);
    nvgFillPaint(vg, nvgImagePattern(vg, 40, 50, 40, 20, 0, image, 0.25f));
    nvgFill(vg);
    nvgFontFaceId(vg, mFont);
    nvgFontSize(vg, 17);
    nvgTextAlign(vg, NVG_ALIGN_CENTER | NVG_ALIGN_MIDDLE);
    nvgText(vg, 60, 40, "Drive 6.0 dB", nullptr);
  };
  for (int frame = 0; frame < 2; ++frame) Render(mVg, 120, 80, 1, draw);
  NVGLUframebuffer* fb = nvgluCreateFramebuffer(mVg, 120, 80, 0);
  ASSERT_NE(fb, nullptr);
  nvgluBindFramebuffer(fb);
  uint64_t allocations = 0;
  {
    kestrine_test::AllocationCounter counter;
    nvgBeginFrame(mVg, 120, 80, 1);
    draw(mVg);
    allocations = counter.Count();
  }
  nvgEndFrame(mVg);
  nvgluBindFramebuffer(nullptr);
  nvgluDeleteFramebuffer(fb);
  nvgDeleteImage(mVg, image);
  EXPECT_EQ(allocations, 0u);
}

TEST_F(VectorBehaviourTest, CancelledFrameDrawsNothing)
{
  const Picture p = Render(mVg, 8, 8, 1,
                           [](NVGcontext* vg)
                           {
                             nvgBeginPath(vg);
                             nvgRect(vg, 0, 0, 8, 8);
                             nvgFill(vg);
                             nvgCancelFrame(vg);
                           });
  EXPECT_EQ(Alpha(p, 4, 4), 0);
}

} // namespace
} // namespace kvg_test
