// The editor's pictures as the module carries them: each stored picture's
// pixel size, pixel format and film-strip geometry.
#include "IGraphicsResources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include "ResourceTestModules.h"

using namespace iplug::igraphics;

namespace
{
struct Picture
{
  const char* file;   // as the layout names it
  const char* stored; // the double-resolution picture the loader finds
  int width, height;  // stored pixels
  int frames;
  int frameWidth, frameHeight; // logical units at scale 1
};

const Picture kPictures[] = {
    {"Background.png", "Background@2x.png", 1160, 500, 1, 580, 250},
    {"BypassBtn.png", "BypassBtn@2x.png", 59, 118, 2, 29, 29},
    {"meterbar.png", "meterbar@2x.png", 41, 14460, 60, 20, 120},
    {"Knob.png", "Knob@2x.png", 240, 14400, 60, 120, 120},
    {"TrimKnob.png", "TrimKnob@2x.png", 142, 14342, 101, 71, 71},
    {"EQTrimKnob.png", "EQTrimKnob@2x.png", 142, 14342, 101, 71, 71},
    {"EQFreqKnob.png", "EQFreqKnob@2x.png", 92, 4560, 60, 46, 38},
    {"HPFKnob.png", "HPFKnob@2x.png", 122, 12200, 100, 61, 61},
    {"SmallBtn.png", "SmallBtn@2x.png", 28, 56, 2, 14, 14},
};

uint32_t BigEndian32(const unsigned char* p)
{
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

struct Decoded
{
  std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};
  int width = 0, height = 0;

  const unsigned char* Row(int y) const { return pixels.get() + static_cast<size_t>(y) * width * 4; }
};

Decoded Decode(const EmbeddedResource& res)
{
  Decoded d;
  int channels = 0;
  d.pixels.reset(stbi_load_from_memory(static_cast<const stbi_uc*>(res.data), static_cast<int>(res.size),
                                       &d.width, &d.height, &channels, 4));
  return d;
}
} // namespace

TEST(KestrineArtwork, StoredPicturesMatchTheLayout)
{
  for (const Picture& p : kPictures)
  {
    SCOPED_TRACE(p.stored);
    const EmbeddedResource res = LoadEmbeddedResource(p.stored, "PNG", kestrine_test::OwnModule());
    ASSERT_TRUE(res);
    ASSERT_GE(res.size, 33u); // signature and header chunk
    const auto* bytes = static_cast<const unsigned char*>(res.data);
    ASSERT_EQ(0, std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8));
    ASSERT_EQ(0, std::memcmp(bytes + 12, "IHDR", 4));
    EXPECT_EQ(BigEndian32(bytes + 16), uint32_t(p.width));
    EXPECT_EQ(BigEndian32(bytes + 20), uint32_t(p.height));
    EXPECT_EQ(bytes[24], 8) << "bit depth";
    EXPECT_EQ(bytes[25], 6) << "colour type: RGBA";
    EXPECT_EQ(bytes[28], 0) << "not interlaced";
    // Whole frames stacked vertically; the logical frame size is the stored
    // size halved, then divided by the frame count, in whole units.
    EXPECT_EQ(p.height % p.frames, 0);
    EXPECT_EQ(p.width / 2, p.frameWidth);
    EXPECT_EQ(p.height / 2 / p.frames, p.frameHeight);
  }
}

TEST(KestrineArtwork, EveryFrameOfAStripDiffersFromTheNext)
{
  for (const Picture& p : kPictures)
  {
    if (p.frames < 2) continue;
    SCOPED_TRACE(p.stored);
    const Decoded d = Decode(LoadEmbeddedResource(p.stored, "PNG", kestrine_test::OwnModule()));
    ASSERT_TRUE(d.pixels);
    ASSERT_EQ(d.width, p.width);
    const int frameRows = d.height / p.frames;
    for (int f = 1; f < p.frames; ++f)
    {
      bool differs = false;
      for (int y = 0; y < frameRows && !differs; ++y)
        differs =
            std::memcmp(d.Row((f - 1) * frameRows + y), d.Row(f * frameRows + y), size_t(d.width) * 4) != 0;
      EXPECT_TRUE(differs) << "frames " << f << " and " << f + 1;
    }
  }
}

TEST(KestrineArtwork, BackgroundIsOpaque)
{
  const Decoded d = Decode(LoadEmbeddedResource("Background@2x.png", "PNG", kestrine_test::OwnModule()));
  ASSERT_TRUE(d.pixels);
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x) ASSERT_EQ(d.Row(y)[x * 4 + 3], 255) << x << ", " << y;
}
