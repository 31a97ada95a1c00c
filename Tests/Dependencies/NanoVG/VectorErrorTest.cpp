// Failures of the vector layer: each gives a clear result, never a crash or a
// huge allocation.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "GlHarness.h"
#include "VectorTestSupport.h"

#include <stb_image_write.h>

namespace kvg_test
{
namespace
{
using VectorErrorTest = VectorTest;

void PutU32(std::vector<unsigned char>& v, size_t at, uint32_t x)
{
  v[at] = static_cast<unsigned char>(x >> 24);
  v[at + 1] = static_cast<unsigned char>(x >> 16);
  v[at + 2] = static_cast<unsigned char>(x >> 8);
  v[at + 3] = static_cast<unsigned char>(x);
}

// A PNG signature and header chunk claiming w x h pixels, and nothing else.
std::vector<unsigned char> PngHeader(uint32_t w, uint32_t h)
{
  std::vector<unsigned char> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                  0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  v.resize(v.size() + 13 + 4);
  PutU32(v, 16, w);
  PutU32(v, 20, h);
  v[24] = 8; // bit depth
  v[25] = 6; // RGBA
  return v;
}

TEST(VectorContextTest, NoCurrentOpenGLContextGivesNoContext)
{
  ReleaseTestGlContext();
  EXPECT_EQ(nvgCreateGL2(NVG_ANTIALIAS), nullptr);
  // Every operation accepts the missing context and does nothing.
  nvgBeginFrame(nullptr, 10, 10, 1);
  nvgBeginPath(nullptr);
  nvgRect(nullptr, 0, 0, 1, 1);
  nvgFill(nullptr);
  nvgStroke(nullptr);
  EXPECT_EQ(nvgText(nullptr, 3, 4, "x", nullptr), 3);
  EXPECT_EQ(nvgCreateImageRGBA(nullptr, 1, 1, 0, nullptr), 0);
  EXPECT_EQ(nvgluCreateFramebuffer(nullptr, 4, 4, 0), nullptr);
  nvgEndFrame(nullptr);
  nvgDeleteGL2(nullptr);
}

TEST_F(VectorErrorTest, FramebuffersOfImpossibleSizesAreRefused)
{
  const int sizes[][2] = {{0, 10}, {10, 0}, {-5, 5}, {100000, 100000}, {1, 1 << 30}};
  for (const auto& s : sizes)
  {
    SCOPED_TRACE(testing::Message() << s[0] << " x " << s[1]);
    EXPECT_EQ(nvgluCreateFramebuffer(mVg, s[0], s[1], 0), nullptr);
  }
}

TEST_F(VectorErrorTest, BadFontBytesAreRefused)
{
  const std::vector<unsigned char>& real = TestFontBytes();
  std::vector<unsigned char> garbage(200, 0x5a);
  std::vector<unsigned char> truncated(real.begin(), real.begin() + 64);
  // A whole table directory, but the first table points past the end.
  std::vector<unsigned char> outside(real.begin(), real.begin() + 4096);
  PutU32(outside, 12 + 8, 0x7ffffff0u);
  std::vector<unsigned char> emptyTables(real.begin(), real.begin() + 12);
  emptyTables[4] = emptyTables[5] = 0;
  struct Case
  {
    const char* name;
    std::vector<unsigned char>* bytes;
  } cases[] = {
      {"not a font", &garbage},
      {"truncated", &truncated},
      {"table outside the data", &outside},
      {"no tables", &emptyTables},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nvgCreateFontMem(mVg, c.name, c.bytes->data(), static_cast<int>(c.bytes->size()), 0), -1);
    EXPECT_EQ(nvgFindFont(mVg, c.name), -1);
  }
  EXPECT_EQ(nvgCreateFontMem(mVg, "null", nullptr, 100, 0), -1);
  EXPECT_EQ(nvgCreateFont(mVg, "missing", "no/such/font.ttf"), -1);
  // Drawing with an unknown font draws nothing and advances nothing.
  const Picture p = Render(mVg, 32, 16, 1,
                           [](NVGcontext* vg)
                           {
                             nvgFontFace(vg, "not a font");
                             EXPECT_EQ(nvgText(vg, 5, 10, "abc", nullptr), 5);
                             float b[4] = {-1, -1, -1, -1};
                             EXPECT_EQ(nvgTextBounds(vg, 5, 10, "abc", nullptr, b), 0);
                             EXPECT_EQ(b[0], 5);
                             EXPECT_EQ(b[2], 5);
                           });
  for (int i = 3; i < static_cast<int>(p.rgba.size()); i += 4) ASSERT_EQ(p.rgba[i], 0);
}

TEST_F(VectorErrorTest, UndecodableOrAbsurdImagesAreRefused)
{
  std::vector<unsigned char> absurd = PngHeader(100000, 100000);
  std::vector<unsigned char> justTooLarge = PngHeader(NVG_MAX_IMAGE_SIZE + 1, 1);
  std::vector<unsigned char> noPixelData = PngHeader(4, 4);
  std::vector<unsigned char> garbage(64, 0xa5);
  std::vector<unsigned char> empty;
  struct Case
  {
    const char* name;
    std::vector<unsigned char>* bytes;
  } cases[] = {
      {"header claims 100000 x 100000", &absurd},
      {"one pixel wider than allowed", &justTooLarge},
      {"header without pixel data", &noPixelData},
      {"not a picture", &garbage},
      {"no bytes", &empty},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nvgCreateImageMem(mVg, 0, c.bytes->data(), static_cast<int>(c.bytes->size())), 0);
  }
  EXPECT_EQ(nvgCreateImage(mVg, "no/such/picture.png", 0), 0);
  const int sizes[][2] = {{0, 1}, {1, 0}, {-1, 4}, {100000, 100000}, {NVG_MAX_IMAGE_SIZE + 1, 1}};
  for (const auto& s : sizes)
    EXPECT_EQ(nvgCreateImageRGBA(mVg, s[0], s[1], 0, nullptr), 0) << s[0] << " x " << s[1];
}

TEST_F(VectorErrorTest, UnknownImageIdsAreHarmless)
{
  int w = -1, h = -1;
  nvgImageSize(mVg, 12345, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  const unsigned char px[4] = {1, 2, 3, 4};
  nvgUpdateImage(mVg, 12345, px);
  nvgDeleteImage(mVg, 12345);
  EXPECT_EQ(nvglImageHandleGL2(mVg, 12345), 0u);
  // Painting with an unknown image draws nothing.
  const Picture p = Render(mVg, 8, 8, 1,
                           [](NVGcontext* vg)
                           {
                             nvgBeginPath(vg);
                             nvgRect(vg, 0, 0, 8, 8);
                             nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 8, 8, 0, 12345, 1));
                             nvgFill(vg);
                           });
  EXPECT_EQ(p.At(4, 4)[3], 0);
}

TEST_F(VectorErrorTest, ADecodedPictureKeepsItsSize)
{
  // The check above must not refuse real pictures: a 3 x 2 PNG made here.
  const unsigned char rgba[3 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0,   0,   255, 255,
                                         0,   0, 0, 0,   9, 9,   9, 9,   255, 255, 255, 255};
  std::vector<unsigned char> png;
  auto append = [](void* context, void* data, int size)
  {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  };
  ASSERT_NE(stbi_write_png_to_func(append, &png, 3, 2, 4, rgba, 3 * 4), 0);
  const int image = nvgCreateImageMem(mVg, 0, png.data(), static_cast<int>(png.size()));
  ASSERT_GT(image, 0);
  int w = 0, h = 0;
  nvgImageSize(mVg, image, &w, &h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
}

} // namespace
} // namespace kvg_test
