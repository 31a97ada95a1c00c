// Shared by the vector layer's tests: a fixture with a current OpenGL context
// and a vector context, offscreen rendering with read-back, and comparison
// with the stored golden pictures.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

namespace kvg_test
{

// RGBA, premultiplied as drawn, top row first.
struct Picture
{
  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
  const unsigned char* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};

// The bytes of the test font (a DejaVu face from the fonts-dejavu-core package).
const std::vector<unsigned char>& TestFontBytes();

// Draws into a new framebuffer of (w x h) units at the given pixel ratio,
// cleared to transparent, and reads the pixels back.
Picture Render(NVGcontext* ctx, float w, float h, float ratio, const std::function<void(NVGcontext*)>& draw);

// Compares with Goldens/<name>.png. With KVG_WRITE_GOLDENS=1 in the
// environment (Tools/regenerate-vector-goldens.sh) it writes the golden
// instead; otherwise a golden is never written, and a mismatch leaves the
// picture drawn next to the test binary for inspection.
testing::AssertionResult MatchesGolden(const std::string& name, const Picture& picture);

class VectorTest : public testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;

  NVGcontext* mVg = nullptr;
  int mFont = -1;
};

} // namespace kvg_test
