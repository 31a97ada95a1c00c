// The vector backend drawing into its editor framebuffer: scenes drawn by
// controls through the drawing interface, read back and compared with the
// pictures in Goldens/ (Tools/regenerate-vector-goldens.sh writes them, on
// purpose), the meaning of a few operations at chosen pixels, and its
// failures. Editor 580 x 250 at draw scale 1.5.
#include "GraphicsFixture.h"
#include "GlHarness.h"
#include "NanoVGTestPlatform.h"
#include "StripScene.h"
#include "AllocationCounter.h"
#include "VectorTestSupport.h"

#include "IPlugLogger.h"

#include <GL/gl.h>
#include <stb_image_write.h>

#include <gtest/gtest.h>

#include <thread>

// The Windows headers that OpenGL's pulls in rename DrawText.
#ifdef DrawText
#undef DrawText
#endif

namespace iplug_test
{
namespace
{

using kvg_test::Picture;

const char* const kFontFile = KESTRINE_TEST_FONT_FILE;

std::vector<std::string>& TraceLines()
{
  static std::vector<std::string> lines;
  return lines;
}

void CollectTrace(const char*, int, const char* text)
{
  TraceLines().emplace_back(text);
}

// An editor of the backend with a current OpenGL context, its view made and
// its framebuffer sized.
class NanoVGTest : public testing::Test
{
public:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(kvg_test::MakeTestGlContextCurrent(&error)) << error;
    Open(1.5f);
  }
  void TearDown() override { Close(); }

  void Open(float scale, bool withWindow = true)
  {
    if (withWindow)
      window = std::make_unique<TestWindowFramebuffer>(static_cast<int>(580 * scale),
                                                       static_cast<int>(250 * scale));
    g = std::make_unique<NanoVGTestGraphics>(p, 580, 250, scale);
    g->OnViewInitialized(nullptr);
    ASSERT_NE(g->GetDrawContext(), nullptr);
    g->DrawResize();
    ASSERT_TRUE(g->LoadFontResource("Poppins", kFontFile));
  }
  void Close()
  {
    if (!g) return;
    g->RemoveAllControls();
    g->OnViewDestroyed();
    g.reset();
    window.reset();
  }

  LambdaControl* Add(const IRect& r, std::function<void(IGraphics&, const IRect&)> draw)
  {
    return static_cast<LambdaControl*>(g->AddControl(new LambdaControl(r, std::move(draw))));
  }

  Picture Draw()
  {
    g->MarkAllDirty();
    g->Tick();
    return Read();
  }
  Picture Read()
  {
    Picture pic;
    pic.w = g->FramebufferWidth();
    pic.h = g->FramebufferHeight();
    g->ReadFramebuffer(pic.rgba);
    return pic;
  }

  GraphicsPlugin p;
  std::unique_ptr<TestWindowFramebuffer> window;
  std::unique_ptr<NanoVGTestGraphics> g;
};

// A w x h picture in PNG bytes, filled by a function of the pixel.
std::vector<unsigned char> MakePng(int w, int h, const std::function<IColour(int, int)>& pixel)
{
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      IColour c = pixel(x, y);
      unsigned char* q = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      q[0] = static_cast<unsigned char>(c.R);
      q[1] = static_cast<unsigned char>(c.G);
      q[2] = static_cast<unsigned char>(c.B);
      q[3] = static_cast<unsigned char>(c.A);
    }
  std::vector<unsigned char> out;
  stbi_write_png_to_func(
      [](void* context, void* data, int size)
      {
        auto* bytes = static_cast<const unsigned char*>(data);
        static_cast<std::vector<unsigned char>*>(context)->insert(
            static_cast<std::vector<unsigned char>*>(context)->end(), bytes, bytes + size);
      },
      &out, w, h, 4, rgba.data(), w * 4);
  return out;
}

// The colours of the strip's four frames.
const IColour kFrameColours[] = {IColour(255, 200, 40, 40), IColour(255, 40, 200, 40),
                                 IColour(255, 40, 40, 200), IColour(255, 200, 200, 40)};

struct Scene
{
  const char* name;
  std::function<void(NanoVGTest&)> build;
};

void BlendScene(NanoVGTest& t)
{
  // Ten cells: a destination disc, then a square drawn with method i.
  for (int i = 0; i < 10; ++i)
  {
    const float x = 10.f + static_cast<float>(i % 5) * 114.f;
    const float y = 10.f + static_cast<float>(i / 5) * 120.f;
    t.Add(IRect(x, y, x + 100.f, y + 100.f),
          [i](IGraphics& g, const IRect& r)
          {
            g.FillCircle(IColour(200, 30, 90, 220), r.L + 40.f, r.T + 40.f, 35.f);
            IBlendMode blend(i, 0.8f);
            g.FillRect(IColour(255, 230, 60, 30), IRect(r.L + 35.f, r.T + 35.f, r.R - 5.f, r.B - 5.f),
                       &blend);
          });
  }
}

void BitmapScene(NanoVGTest& t)
{
  static std::vector<unsigned char> png = MakePng(
      64, 64,
      [](int x, int y) { return IColour(255, (x * 4) & 255, (y * 4) & 255, ((x ^ y) & 8) ? 255 : 0); });
  APIBitmap* b = t.g->LoadAPIBitmap("checks.png", png.data(), static_cast<int>(png.size()), 1);
  ASSERT_NE(b, nullptr);
  IBitmapRef ref(b, 1, false, "checks.png");
  t.g->RetainBitmap(ref, "checks.png");
  t.Add(IRect(0, 0, 580, 250),
        [](IGraphics& g, const IRect& r) { g.FillRect(IColour(255, 255, 255, 255), r); });
  t.Add(IRect(20, 20, 84, 84), [ref](IGraphics& g, const IRect& r) { g.DrawBitmap(ref, r, 0, 0); });
  t.Add(IRect(120, 20, 184, 84),
        [ref](IGraphics& g, const IRect& r)
        {
          IBlendMode quarter(0, 0.25f);
          g.DrawBitmap(ref, r, 0, 0, &quarter);
        });
}

void StripScene(NanoVGTest& t)
{
  // Four frames of 20 x 20 units made at scale 2: 40 x 160 pixels, each
  // frame its colour with a white mark in its top-left corner.
  static std::vector<unsigned char> png = MakePng(40, 160,
                                                  [](int x, int y)
                                                  {
                                                    if (x % 40 < 8 && y % 40 < 8)
                                                      return IColour(255, 255, 255, 255);
                                                    return kFrameColours[y / 40];
                                                  });
  APIBitmap* b = t.g->LoadAPIBitmap("strip.png", png.data(), static_cast<int>(png.size()), 2);
  ASSERT_NE(b, nullptr);
  IBitmapRef ref(b, 4, false, "strip.png");
  t.g->RetainBitmap(ref, "strip.png");
  t.Add(IRect(100, 100, 140, 140), [ref](IGraphics& g, const IRect& r) { g.DrawBitmapFrame(ref, r, 3); });
}

void FillScene(NanoVGTest& t)
{
  t.Add(IRect(10, 10, 570, 240),
        [](IGraphics& g, const IRect&)
        {
          const float hx[] = {60.f, 110.f, 110.f, 60.f, 10.f, 10.f};
          const float hy[] = {20.f, 50.f, 110.f, 140.f, 110.f, 50.f};
          g.FillConvexPolygon(IColour(255, 40, 120, 200), hx, hy, 6);
          g.FillCircle(IColour(255, 220, 100, 20), 190.f, 80.f, 55.f);
          // A five-pointed star drawn in one stroke: concave, and with a
          // centre that the two fill rules treat differently.
          for (int rule = 0; rule < 2; ++rule)
          {
            const float cx = 320.f + 130.f * static_cast<float>(rule);
            g.PathClear();
            for (int k = 0; k < 5; ++k)
            {
              const float a = static_cast<float>(k * 144) * 3.14159265f / 180.f;
              const float x = cx + 60.f * std::sin(a);
              const float y = 90.f - 60.f * std::cos(a);
              if (k == 0)
                g.PathMoveTo(x, y);
              else
                g.PathLineTo(x, y);
            }
            g.PathClose();
            IFillOptions options;
            options.mFillRule = rule;
            g.PathFill(IColour(255, 30, 160, 60), options);
          }
          g.FillArc(IColour(255, 150, 40, 160), 80.f, 200.f, 35.f, 0.f, 270.f);
          g.PathClear();
          g.PathMoveTo(160.f, 230.f);
          g.PathQuadraticBezierTo(220.f, 150.f, 280.f, 230.f);
          g.PathClose();
          g.PathFill(IColour(255, 90, 90, 90));
        });
}

void StrokeScene(NanoVGTest& t)
{
  t.Add(IRect(0, 0, 580, 250),
        [](IGraphics& g, const IRect&)
        {
          for (int cap = 0; cap < 3; ++cap)
            for (int join = 0; join < 3; ++join)
            {
              const float x = 30.f + static_cast<float>(cap * 3 + join) * 60.f;
              IStrokeOptions options;
              options.mCapOption = cap;
              options.mJoinOption = join;
              g.PathClear();
              g.PathMoveTo(x, 200.f);
              g.PathLineTo(x + 20.f, 60.f);
              g.PathLineTo(x + 40.f, 200.f);
              g.PathStroke(IColour(255, 20, 20, 20), 10.f, options);
            }
          g.DrawArc(IColour(255, 200, 30, 30), 290.f, 30.f, 20.f, -90.f, 90.f, nullptr, 3.f);
        });
}

void TextScene(NanoVGTest& t, float size)
{
  const char* const kWords[3][3] = {{"Drive", "Mix", "Tone"}, {"Gain", "Solo", "Mode"}, {"Out", "In", "Low"}};
  for (int v = 0; v < 3; ++v)
    for (int h = 0; h < 3; ++h)
    {
      const float x = 10.f + static_cast<float>(h) * 190.f;
      const float y = 10.f + static_cast<float>(v) * 78.f;
      const char* word = kWords[v][h];
      t.Add(IRect(x, y, x + 180.f, y + 70.f),
            [=](IGraphics& g, const IRect& r)
            {
              g.DrawRect(IColour(255, 180, 180, 180), r);
              g.DrawText(ITextStyle(size, IColour(255, 10, 10, 10), "Poppins", h, v), word, r);
            });
    }
}

void ScissorScene(NanoVGTest& t)
{
  // A control drawing far outside its rectangle is clipped to it, and an
  // inner clip narrows it further.
  t.Add(IRect(100, 50, 300, 200),
        [](IGraphics& g, const IRect& r)
        {
          g.FillCircle(IColour(255, 30, 30, 200), r.MW(), r.MH(), 150.f);
          g.PathClipRegion(IRect(150, 100, 250, 150));
          g.FillRect(IColour(255, 240, 200, 0), IRect(0, 0, 580, 250));
        });
}

const Scene kScenes[] = {
    {"backend_blend_methods", BlendScene},
    {"backend_bitmap_quarter", BitmapScene},
    {"backend_strip_frame3_scale2", StripScene},
    {"backend_fills", FillScene},
    {"backend_strokes", StrokeScene},
    {"backend_text_17", [](NanoVGTest& t) { TextScene(t, 17.f); }},
    {"backend_text_21_25", [](NanoVGTest& t) { TextScene(t, 21.25f); }},
    {"backend_scissor", ScissorScene},
};

TEST_F(NanoVGTest, ScenesMatchTheirGoldens)
{
  for (const Scene& scene : kScenes)
  {
    SCOPED_TRACE(scene.name);
    Close();
    Open(1.5f);
    scene.build(*this);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(kvg_test::MatchesGolden(scene.name, Draw()));
  }
}

TEST_F(NanoVGTest, FramebufferHoldsTheEditorAtItsScalesAndIsPresentedWhole)
{
  EXPECT_EQ(g->FramebufferWidth(), 870);
  EXPECT_EQ(g->FramebufferHeight(), 375);
  EXPECT_STREQ(g->GetDrawingAPIStr(), "NanoVG | GL2");
  Add(IRect(0, 0, 580, 250),
      [](IGraphics& gr, const IRect& r) { gr.FillRect(IColour(255, 200, 220, 240), r); });
  LambdaControl* knob = Add(IRect(100, 50, 200, 150), [](IGraphics& gr, const IRect& r)
                            { gr.FillCircle(kColourRed, r.MW(), r.MH(), 40.f); });
  Draw();
  // A frame redrawing one control still presents every pixel.
  knob->MarkDirty(false);
  ASSERT_TRUE(g->Tick());
  const Picture drawn = Read();
  std::vector<unsigned char> shown(drawn.rgba.size());
  nvgluBindFramebuffer(window->fb);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, drawn.w, drawn.h, GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
  int worst = 0;
  for (int y = 0; y < drawn.h; ++y)
    for (int x = 0; x < drawn.w * 4; ++x)
    {
      const int a = drawn.rgba[static_cast<size_t>(y * drawn.w * 4 + x)];
      const int b = shown[static_cast<size_t>((drawn.h - 1 - y) * drawn.w * 4 + x)];
      worst = std::max(worst, std::abs(a - b));
    }
  EXPECT_LE(worst, 1);
}

TEST_F(NanoVGTest, RedrawingOneDirtyRegionLeavesTheRestAsItWas)
{
  IColour colour(255, 200, 30, 30);
  Add(IRect(0, 0, 580, 250),
      [](IGraphics& gr, const IRect& r) { gr.FillRect(IColour(255, 240, 240, 240), r); });
  for (int i = 0; i < 4; ++i)
  {
    const float x = 20.f + static_cast<float>(i) * 140.f;
    Add(IRect(x, 60, x + 100.f, 160),
        [i, &colour](IGraphics& gr, const IRect& r)
        {
          gr.FillRoundRect(i == 2 ? colour : IColour(255, 40, 40, 160), r.GetPadded(-5.f), 12.f);
          gr.DrawText(ITextStyle(17.f, IColour(255, 255, 255, 255), "Poppins"), "Knob", r);
        });
  }
  const Picture before = Draw();
  colour = IColour(255, 30, 200, 30);
  g->GetControl(3)->MarkDirty(false);
  ASSERT_TRUE(g->Tick());
  const Picture after = Read();
  EXPECT_TRUE(kvg_test::MatchesGolden("backend_dirty_region", after));
  // Outside the control's padded, pixel-aligned rectangle nothing changed.
  const IRect redrawn = g->GetControl(3)->GetRect().GetPadded(0.75f).GetPixelAligned(1.5f);
  int changedOutside = 0;
  int changedInside = 0;
  for (int y = 0; y < after.h; ++y)
    for (int x = 0; x < after.w; ++x)
    {
      const bool same = std::equal(after.At(x, y), after.At(x, y) + 4, before.At(x, y));
      const bool inside = redrawn.Contains(static_cast<float>(x) / 1.5f, static_cast<float>(y) / 1.5f);
      if (!same) ++(inside ? changedInside : changedOutside);
    }
  EXPECT_EQ(changedOutside, 0);
  EXPECT_GT(changedInside, 1000);
}

TEST_F(NanoVGTest, OperationsAtChosenPixels)
{
  BitmapScene(*this);
  StripScene(*this);
  Add(IRect(300, 150, 400, 200), [](IGraphics& gr, const IRect& r)
      { gr.DrawText(ITextStyle(40.f, IColour(255, 0, 0, 0), "Poppins"), "I", r); });
  Draw();
  // Frame 3 of the strip (its blue), centred in the control.
  EXPECT_EQ(g->GetPoint(120, 125), kFrameColours[2]);
  // Its white corner mark is at the frame's top-left: the texture was
  // sampled from pixel row 2 x 20 x 2 = 80 downward.
  EXPECT_EQ(g->GetPoint(111, 111), IColour(255, 255, 255, 255));
  // The bitmap at a quarter over white, and at full strength.
  const IColour full = g->GetPoint(50, 50);
  const IColour quarter = g->GetPoint(150, 50);
  EXPECT_NEAR(quarter.R, 255 + (full.R - 255) / 4, 3);
  EXPECT_NEAR(quarter.G, 255 + (full.G - 255) / 4, 3);
  // Text without a blend is opaque where the stem of the glyph is.
  EXPECT_EQ(g->GetPoint(350, 175), IColour(255, 0, 0, 0));
}

TEST_F(NanoVGTest, BlendTableGivesEachMethodItsFactors)
{
  struct Case
  {
    int method;
    int src, dst;
  } const cases[] = {
      {0, NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA},  {1, NVG_DST_ALPHA, NVG_ZERO},
      {2, NVG_ONE_MINUS_DST_ALPHA, NVG_ZERO}, {3, NVG_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},
      {4, NVG_ONE_MINUS_DST_ALPHA, NVG_ONE},  {5, NVG_ZERO, NVG_SRC_ALPHA},
      {6, NVG_ZERO, NVG_ONE_MINUS_SRC_ALPHA}, {7, NVG_ONE_MINUS_DST_ALPHA, NVG_SRC_ALPHA},
      {8, NVG_SRC_ALPHA, NVG_DST_ALPHA},      {9, NVG_ONE_MINUS_DST_ALPHA, NVG_ONE_MINUS_SRC_ALPHA},
  };
  for (const Case& c : cases)
  {
    IBlendMode blend(c.method, 1.f);
    int src = 0, dst = 0;
    IGraphicsNanoVG::BlendFactors(&blend, src, dst);
    EXPECT_EQ(src, c.src) << c.method;
    EXPECT_EQ(dst, c.dst) << c.method;
  }
}

TEST_F(NanoVGTest, FontBytesAreSharedAcrossEditors)
{
  // The second editor registers the id from the process-wide cache, with
  // no bytes of its own.
  NanoVGTestGraphics other(p, 580, 250, 1.f);
  other.OnViewInitialized(nullptr);
  EXPECT_TRUE(other.LoadAPIFont("Poppins", nullptr));
  IRect bounds;
  EXPECT_GT(other.DoMeasureText(ITextStyle(17.f, kColourBlack, "Poppins"), "Mix", bounds), 10.f);
  other.OnViewDestroyed();
}

TEST_F(NanoVGTest, LayerCollectsDrawingAndIsReadBack)
{
  RawBitmapData data;
  int w = 0;
  Add(IRect(0, 0, 580, 250),
      [&](IGraphics& gr, const IRect&)
      {
        auto& nvg = static_cast<IGraphicsNanoVG&>(gr);
        ILayerPtr layer = nvg.MakeLayer(IRect(100, 100, 140, 120));
        ASSERT_TRUE(layer);
        nvg.PushLayer(layer.get());
        gr.FillRect(IColour(255, 0, 255, 0), IRect(100, 100, 120, 120));
        nvg.PopLayer();
        nvg.DrawLayer(layer);
        nvg.GetLayerBitmapData(layer, data);
        w = layer->mBitmap->GetWidth();
      });
  Draw();
  ASSERT_EQ(w, 60);
  ASSERT_EQ(data.size(), static_cast<size_t>(60 * 30 * 4));
  // Left half green, right half empty, in the layer and in the editor.
  EXPECT_EQ(data[(15 * 60 + 10) * 4 + 1], 255);
  EXPECT_EQ(data[(15 * 60 + 50) * 4 + 3], 0);
  EXPECT_EQ(g->GetPoint(110, 110), IColour(255, 0, 255, 0));
}

TEST_F(NanoVGTest, PicturesOnlyFromPngAndJpg)
{
  struct Case
  {
    const char* ext;
    bool ok;
  } const cases[] = {{"png", true},  {"PNG", true}, {"jpg", true},
                     {"svg", false}, {"", false},   {"bmp", false}};
  for (const Case& c : cases) EXPECT_EQ(g->BitmapExtSupported(c.ext), c.ok) << c.ext;
  const unsigned char junk[16] = {1, 2, 3};
  EXPECT_EQ(g->LoadAPIBitmap("junk.png", junk, 16, 1), nullptr);
  EXPECT_EQ(g->LoadAPIBitmap("/nonexistent/x.png", 1, kAbsolutePath, "png"), nullptr);
}

TEST_F(NanoVGTest, FailuresDrawNothingAndSayWhy)
{
  TraceLines().clear();
  SetTraceSink(CollectTrace);
  struct Case
  {
    const char* name;
    std::function<void(NanoVGTest&)> breakIt;
    const char* traced;
  } const cases[] = {
      {"no framebuffer",
       [](NanoVGTest& t)
       {
         t.Close();
         t.g = std::make_unique<NanoVGTestGraphics>(t.p, 580, 250, 1.f);
         t.g->OnViewInitialized(nullptr); // DrawResize never ran
       },
       "framebuffer"},
      {"font never registered",
       [](NanoVGTest& t)
       {
         EXPECT_FALSE(
             t.g->LoadAPIFont("Garbage", std::make_unique<BytesFont>(std::vector<unsigned char>(64, 7))));
       },
       "not a usable font"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    TraceLines().clear();
    c.breakIt(*this);
    bool drawn = false;
    Add(IRect(0, 0, 100, 100),
        [&](IGraphics& gr, const IRect& r)
        {
          drawn = true;
          gr.FillRect(kColourRed, r);
          gr.DrawText(ITextStyle(17.f, kColourBlack, "Garbage"), "x", r);
        });
    g->MarkAllDirty();
    g->Tick();
    EXPECT_TRUE(drawn);
    bool said = false;
    for (const std::string& line : TraceLines()) said = said || line.find(c.traced) != std::string::npos;
    EXPECT_TRUE(said) << c.traced;
  }
  SetTraceSink(nullptr);
}

TEST_F(NanoVGTest, FramesAfterTheFirstAllocateNothing)
{
  std::vector<StripControl*> strips;
  ASSERT_TRUE(BuildStripScene(*g, KESTRINE_TEST_IMG_DIR, &strips));
  Draw();
  // Warm-up: the software OpenGL driver compiles its shader variants (with
  // operator new) the first time it meets each state; after that only our
  // code could allocate.
  for (int i = 0; i < 3; ++i)
  {
    strips[0]->Step();
    g->Tick();
    g->MarkAllDirty();
    g->Tick();
  }
  kestrine_test::AllocationCounter counter;
  for (int i = 0; i < 3; ++i)
  {
    strips[static_cast<size_t>(i)]->Step();
    ASSERT_TRUE(g->Tick());
    g->MarkAllDirty();
    ASSERT_TRUE(g->Tick());
  }
  // What the framework and the vector layer allocate; the OpenGL driver's
  // own mallocs are not ours to remove.
  EXPECT_EQ(counter.NewCount(), 0u);
}

TEST(NanoVGNoContextTest, WithoutOpenGLNothingIsDrawnAndATraceSaysWhy)
{
  // A thread of its own has no current OpenGL context.
  TraceLines().clear();
  SetTraceSink(CollectTrace);
  bool drawn = false;
  void* context = &drawn;
  std::thread ui(
      [&]
      {
        GraphicsPlugin p;
        NanoVGTestGraphics g(p, 580, 250, 1.f);
        g.OnViewInitialized(nullptr);
        context = g.GetDrawContext();
        g.DrawResize();
        g.AddControl(new LambdaControl(IRect(0, 0, 100, 100),
                                       [&](IGraphics& gr, const IRect& r)
                                       {
                                         drawn = true;
                                         gr.FillRect(kColourRed, r);
                                       }));
        g.MarkAllDirty();
        g.Tick();
        g.RemoveAllControls();
        g.OnViewDestroyed();
      });
  ui.join();
  SetTraceSink(nullptr);
  EXPECT_EQ(context, nullptr);
  EXPECT_TRUE(drawn);
  bool said = false;
  for (const std::string& line : TraceLines())
    said = said || line.find("vector context") != std::string::npos;
  EXPECT_TRUE(said);
}

} // namespace
} // namespace iplug_test
