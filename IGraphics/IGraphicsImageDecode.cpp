#include "IGraphicsImageDecode.h"

#include "IPlugLogger.h"

#include <climits>
#include <cstring>

// The decoder only ever sees memory; only the formats the pictures use.
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
// A system include: the decoder's own warnings are not ours.
#include <stb_image.h>

namespace iplug
{
namespace igraphics
{
namespace
{
bool Refuse(std::string* error, const char* why)
{
  if (error) *error = why;
  Trace(TRACELOC, "picture refused: %s", why);
  return false;
}
} // namespace

bool ReadImageSize(const void* data, size_t size, int& width, int& height, std::string* error)
{
  width = height = 0;
  if (!data || size < 8) return Refuse(error, "too short to be a picture");
  if (size > static_cast<size_t>(INT_MAX)) return Refuse(error, "too large");
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &w, &h, &channels))
    return Refuse(error, "not a PNG or JPG picture");
  if (w <= 0 || h <= 0) return Refuse(error, "empty picture");
  if (w > kMaxDecodedSide || h > kMaxDecodedSide || int64_t(w) * h > kMaxDecodedPixels)
    return Refuse(error, "picture dimensions too large");
  width = w;
  height = h;
  return true;
}

bool DecodeImage(const void* data, size_t size, DecodedImage& out, std::string* error)
{
  out = DecodedImage();
  int w = 0, h = 0;
  if (!ReadImageSize(data, size, w, h, error)) return false;
  int channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &w, &h, &channels, 4);
  if (!pixels) return Refuse(error, "corrupt picture data");
  if (w <= 0 || h <= 0 || w > kMaxDecodedSide || h > kMaxDecodedSide)
  {
    stbi_image_free(pixels);
    return Refuse(error, "picture dimensions changed while decoding");
  }
  size_t bytes = size_t(w) * size_t(h) * 4;
  out.width = w;
  out.height = h;
  out.rgba.assign(pixels, pixels + bytes);
  stbi_image_free(pixels);
  return true;
}

} // namespace igraphics
} // namespace iplug
