// libFuzzer target over picture decoding from resource bytes (what a
// drawing backend does with an embedded or on-disk PNG or JPG): the header
// read, then the whole decode. Refusals must come without crashes, reads
// outside the input or allocations beyond the size limit.
//
// Build and run (from the repository root):
//   cmake --preset fuzz && cmake --build --preset fuzz -j2
//   mkdir -p /tmp/image-corpus && cp Examples/Kestrine/resources/img/SmallBtn@2x.png /tmp/image-corpus/
//   build/fuzz/Tests/Fuzz/igraphics_image_fuzz /tmp/image-corpus -max_total_time=3600 -jobs=2
//   -rss_limit_mb=2048
#include "IGraphicsImageDecode.h"
#include "IPlugLogger.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace iplug;
using namespace iplug::igraphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Refusals trace a line each; keep the fuzzer's output readable.
  static const bool quiet = (SetTraceSink([](const char*, int, const char*) {}), true);
  (void)quiet;

  int w = 0, h = 0;
  bool sized = ReadImageSize(data, size, w, h);
  DecodedImage image;
  bool decoded = DecodeImage(data, size, image);
  // A decoded picture has the size its header gave, within the limits.
  if (decoded && (!sized || image.width != w || image.height != h || w > kMaxDecodedSide ||
                  h > kMaxDecodedSide || image.rgba.size() != size_t(w) * size_t(h) * 4))
    std::abort();
  return 0;
}
