#include "IGraphicsImageDecode.h"

#include "IPlugLogger.h"

#include <climits>
#include <cstring>

// The decoder only ever sees memory, and only PNG: the system's JPEG decoder
// reads outside its Huffman tables on crafted data (found by fuzzing), and
// the editor's pictures are all PNG.
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
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

uint32_t BigEndian32(const uint8_t* p)
{
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The decoder trusts a PNG's chunk lengths: it grows its buffer to a
// chunk's declared length before reading it (a few bytes can ask for
// gigabytes), and copies a first image-data chunk of zero bytes through a
// null pointer. Such pictures are refused before they reach it: the chunk
// list up to IEND must lie inside the data and hold no empty IDAT. Returns
// the reason, or nothing for acceptable data (and for data that is no PNG).
const char* PngChunkProblem(const uint8_t* data, size_t size)
{
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return nullptr;
  size_t at = 8;
  while (true)
  {
    if (size - at < 12) return "chunk list ends early";
    uint32_t length = BigEndian32(data + at);
    const uint8_t* type = data + at + 4;
    // Length, type, data and checksum.
    if (uint64_t(length) + 12 > uint64_t(size - at)) return "chunk runs past the end";
    if (std::memcmp(type, "IDAT", 4) == 0 && length == 0) return "empty image data chunk";
    if (std::memcmp(type, "IEND", 4) == 0) return nullptr;
    at += size_t(length) + 12;
  }
}
} // namespace

bool ReadImageSize(const void* data, size_t size, int& width, int& height, std::string* error)
{
  width = height = 0;
  if (!data || size < 8) return Refuse(error, "too short to be a picture");
  if (size > static_cast<size_t>(INT_MAX)) return Refuse(error, "too large");
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &w, &h, &channels))
    return Refuse(error, "not a PNG picture");
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
  if (const char* problem = PngChunkProblem(static_cast<const uint8_t*>(data), size))
    return Refuse(error, problem);
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
