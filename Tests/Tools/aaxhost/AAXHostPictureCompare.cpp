#include "AAXHostPictureCompare.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace aaxhost_test
{

testing::AssertionResult PictureMatches(const std::string& drawn, const std::string& golden, int width,
                                        int height)
{
  int w = 0, h = 0, gw = 0, gh = 0, comp = 0;
  unsigned char* picture = stbi_load(drawn.c_str(), &w, &h, &comp, 4);
  unsigned char* expected = stbi_load(golden.c_str(), &gw, &gh, &comp, 4);
  testing::AssertionResult result = testing::AssertionSuccess();
  if (!picture)
    result = testing::AssertionFailure() << "cannot read " << drawn;
  else if (!expected)
    result = testing::AssertionFailure()
             << "no golden " << golden << " (Tools/regenerate-vector-goldens.sh writes it)";
  else if (w != width || h != height || gw != w || gh != h)
    result = testing::AssertionFailure() << "drawn " << w << " x " << h << ", golden " << gw << " x " << gh
                                         << ", wanted " << width << " x " << height;
  else
  {
    int bad = 0, worst = 0;
    for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h) * 4; ++i)
    {
      const int d = std::abs(int(picture[i]) - int(expected[i]));
      worst = std::max(worst, d);
      bad += d > kPictureTolerance;
    }
    if (bad)
      result = testing::AssertionFailure()
               << bad << " channel values off by up to " << worst << "; the picture drawn is " << drawn;
  }
  stbi_image_free(picture);
  stbi_image_free(expected);
  if (result) std::remove(drawn.c_str());
  return result;
}

} // namespace aaxhost_test
