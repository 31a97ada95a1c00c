// The Windows build's snapshot (run under Wine here): the editor opened in
// a Win32 host window and read back as the host shows it, compared with the
// pictures the native build's host takes (Goldens/), at the editor's scale
// limits and at 1. Silence plays, so the meters are at rest as there.
#include "AAXHostCommands.h"
#include "AAXHostPictureCompare.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
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
  EXPECT_TRUE(aaxhost_test::PictureMatches(drawn, golden, c.width, c.height));
}

INSTANTIATE_TEST_SUITE_P(Scales, SnapshotUnderWine,
                         testing::Values(ScaleCase{"Scale067", "0.67", 388, 167},
                                         ScaleCase{"Scale100", "1", 580, 250},
                                         ScaleCase{"Scale150", "1.5", 870, 375}),
                         [](const testing::TestParamInfo<ScaleCase>& info)
                         { return std::string(info.param.name); });
} // namespace
