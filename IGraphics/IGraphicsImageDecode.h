// Decoding of PNG picture bytes into RGBA pixels for the drawing backends
// (JPG data is refused: the decoder available for it is not safe on
// untrusted input). The bytes come from the module's resources or from files on disk
// and are treated as untrusted: corrupt data and absurd dimensions are
// refused with a trace line before any large allocation.
//
// Any thread; no shared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace iplug
{
namespace igraphics
{

// Largest picture side and pixel count accepted: 16384 pixels a side, and
// 2^25 pixels (128 MB of RGBA) in all, far above any film strip the editor
// uses (the tallest is 240 x 14400).
constexpr int kMaxDecodedSide = 16384;
constexpr int64_t kMaxDecodedPixels = int64_t(1) << 25;

struct DecodedImage
{
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba; // width * height * 4 bytes, rows top to bottom
};

// The pixel size from the picture's header alone. False for data that is no
// known picture or whose size is out of bounds (error says why).
bool ReadImageSize(const void* data, size_t size, int& width, int& height, std::string* error = nullptr);

// Decodes the whole picture. False, with a trace line, for anything
// ReadImageSize refuses and for data that fails to decode.
bool DecodeImage(const void* data, size_t size, DecodedImage& out, std::string* error = nullptr);

} // namespace igraphics
} // namespace iplug
