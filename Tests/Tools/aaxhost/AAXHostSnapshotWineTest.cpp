// The Windows build's snapshot (run under Wine here): the editor opened in
// a Win32 host window and read back as the host shows it, compared with the
// pictures the native build's host takes (Goldens/), at the editor's scale
// limits and at 1. Silence plays, so the meters are at rest as there.
#include "AAXHostCommands.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// As the native host's golden test allows for antialiased edges.
constexpr int kTolerance = 4;

struct ScaleCase
{
  const char* name;
  const char* scale;
  int width, height;
};

class SnapshotUnderWine : public testing::TestWithParam<ScaleCase>
{
};

TEST_P(SnapshotUnderWine, MatchesTheNativeHostsPicture)
{
  const ScaleCase& c = GetParam();
  const std::string drawn = std::string("aaxhost-wine-editor-") + c.name + ".png";
  const int code = aaxhost::RunCommandLine(
      {"snapshot", AAXHOST_TEST_MODULE, drawn, "--scale", c.scale, "--set", "Mode=Exciter", "--silence"});
  ASSERT_EQ(code, 0);
  const std::string golden = std::string(AAXHOST_GOLDEN_DIR) + "/editor-" + c.name + ".png";
  int w = 0, h = 0, gw = 0, gh = 0, comp = 0;
  unsigned char* picture = stbi_load(drawn.c_str(), &w, &h, &comp, 4);
  unsigned char* expected = stbi_load(golden.c_str(), &gw, &gh, &comp, 4);
  ASSERT_NE(picture, nullptr) << drawn;
  ASSERT_NE(expected, nullptr) << golden;
  EXPECT_EQ(w, c.width);
  EXPECT_EQ(h, c.height);
  int bad = 0, worst = 0;
  if (w == gw && h == gh)
    for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h) * 4; ++i)
    {
      const int d = std::abs(int(picture[i]) - int(expected[i]));
      worst = std::max(worst, d);
      bad += d > kTolerance;
    }
  stbi_image_free(picture);
  stbi_image_free(expected);
  EXPECT_EQ(gw, w);
  EXPECT_EQ(gh, h);
  EXPECT_EQ(bad, 0) << "channel values off by up to " << worst << "; the picture drawn is " << drawn;
  if (!bad && w == gw && h == gh) std::remove(drawn.c_str());
}

INSTANTIATE_TEST_SUITE_P(Scales, SnapshotUnderWine,
                         testing::Values(ScaleCase{"Scale067", "0.67", 388, 167},
                                         ScaleCase{"Scale100", "1", 580, 250},
                                         ScaleCase{"Scale150", "1.5", 870, 375}),
                         [](const testing::TestParamInfo<ScaleCase>& info)
                         { return std::string(info.param.name); });
} // namespace
