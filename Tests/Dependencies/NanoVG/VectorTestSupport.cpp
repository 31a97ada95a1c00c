#include "VectorTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <GL/gl.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include "GlHarness.h"

namespace kvg_test
{
namespace
{
// Largest difference allowed per 8-bit channel. The goldens come from Mesa's
// llvmpipe on Linux; the Windows build under Wine draws through the same
// rasteriser and matches them exactly today, but computes its geometry with
// another C runtime's sin, cos and tan, and another Mesa release may round
// coverage differently: antialiased edge pixels may then move by a level or
// two. Real faults (a wrong blend factor, a missing fringe, a shifted glyph)
// change values by tens of levels.
constexpr int kTolerance = 4;

bool WriteGoldensRequested()
{
  const char* v = std::getenv("KVG_WRITE_GOLDENS");
  return v && std::string(v) == "1";
}

std::string GoldenPath(const std::string& name)
{
  return std::string(KVG_GOLDEN_DIR) + "/" + name + ".png";
}

bool WritePng(const std::string& path, const Picture& p)
{
  return stbi_write_png(path.c_str(), p.w, p.h, 4, p.rgba.data(), p.w * 4) != 0;
}
} // namespace

const std::vector<unsigned char>& TestFontBytes()
{
  static const std::vector<unsigned char> bytes = []
  {
    std::ifstream f(KVG_TEST_FONT, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }();
  return bytes;
}

Picture Render(NVGcontext* ctx, float w, float h, float ratio, const std::function<void(NVGcontext*)>& draw)
{
  Picture p;
  p.w = static_cast<int>(w * ratio);
  p.h = static_cast<int>(h * ratio);
  NVGLUframebuffer* fb = nvgluCreateFramebuffer(ctx, p.w, p.h, NVG_IMAGE_PREMULTIPLIED | NVG_IMAGE_FLIPY);
  if (!fb) return Picture{};
  nvgluBindFramebuffer(fb);
  glViewport(0, 0, p.w, p.h);
  glClearColor(0, 0, 0, 0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  nvgBeginFrame(ctx, w, h, ratio);
  draw(ctx);
  nvgEndFrame(ctx);
  std::vector<unsigned char> bottomUp(static_cast<size_t>(p.w) * p.h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, p.w, p.h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  nvgluBindFramebuffer(nullptr);
  nvgluDeleteFramebuffer(fb);
  p.rgba.resize(bottomUp.size());
  const size_t row = static_cast<size_t>(p.w) * 4;
  for (int y = 0; y < p.h; ++y)
    std::copy_n(&bottomUp[(p.h - 1 - y) * row], row, &p.rgba[static_cast<size_t>(y) * row]);
  return p;
}

testing::AssertionResult MatchesGolden(const std::string& name, const Picture& picture)
{
  if (picture.rgba.empty()) return testing::AssertionFailure() << name << ": nothing was drawn";
  const std::string path = GoldenPath(name);
  if (WriteGoldensRequested())
  {
    if (!WritePng(path, picture)) return testing::AssertionFailure() << "cannot write " << path;
    std::printf("wrote golden %s\n", path.c_str());
    return testing::AssertionSuccess();
  }
  int w = 0, h = 0, comp = 0;
  unsigned char* golden = stbi_load(path.c_str(), &w, &h, &comp, 4);
  if (!golden)
    return testing::AssertionFailure()
           << "no golden " << path << " (Tools/regenerate-vector-goldens.sh writes it, on purpose)";
  testing::AssertionResult result = testing::AssertionSuccess();
  if (w != picture.w || h != picture.h)
  {
    result = testing::AssertionFailure()
             << name << ": drawn " << picture.w << " x " << picture.h << ", golden " << w << " x " << h;
  }
  else
  {
    int bad = 0, worst = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const unsigned char* a = picture.At(x, y);
        const unsigned char* b = golden + (static_cast<size_t>(y) * w + x) * 4;
        int d = 0;
        for (int c = 0; c < 4; ++c) d = std::max(d, std::abs(int(a[c]) - int(b[c])));
        worst = std::max(worst, d);
        if (d > kTolerance && bad++ == 0)
        {
          firstX = x;
          firstY = y;
        }
      }
    if (bad > 0)
      result = testing::AssertionFailure()
               << name << ": " << bad << " pixels differ by more than " << kTolerance << " (largest " << worst
               << ", first at " << firstX << ", " << firstY << ")";
  }
  stbi_image_free(golden);
  if (!result)
  {
    const std::string actual = name + ".actual.png";
    if (WritePng(actual, picture)) result << "; drawn picture left in " << actual;
  }
  return result;
}

void VectorTest::SetUp()
{
  std::string error;
  ASSERT_TRUE(MakeTestGlContextCurrent(&error)) << error;
  mVg = nvgCreateGL2(NVG_ANTIALIAS | NVG_STENCIL_STROKES | NVG_DEBUG);
  ASSERT_NE(mVg, nullptr);
  const auto& font = TestFontBytes();
  ASSERT_FALSE(font.empty()) << "test font " << KVG_TEST_FONT << " missing";
  // The bytes live for the whole run, so the context need not copy them.
  mFont = nvgCreateFontMem(mVg, "sans", const_cast<unsigned char*>(font.data()),
                           static_cast<int>(font.size()), 0);
  ASSERT_GE(mFont, 0);
}

void VectorTest::TearDown()
{
  if (mVg) nvgDeleteGL2(mVg);
  mVg = nullptr;
}

} // namespace kvg_test
