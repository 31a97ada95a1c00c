// PNG encoding of captured pictures, with stb_image_write (libstb-dev).
#include "AAXHostWindow.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace aaxhost
{

bool EncodePng(const Picture& picture, std::vector<uint8_t>& bytes)
{
  bytes.clear();
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgba.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4)
    return false;
  auto append = [](void* context, void* data, int size)
  {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
  };
  return stbi_write_png_to_func(append, &bytes, picture.width, picture.height, 4, picture.rgba.data(),
                                picture.width * 4) != 0 &&
         !bytes.empty();
}

} // namespace aaxhost
