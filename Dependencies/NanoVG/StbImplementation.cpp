// The stb single-file libraries (Debian's libstb-dev headers), compiled once
// here for the layer. Pictures larger than this on a side are refused while
// their header is read, before any pixel memory is allocated.
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STB_RECT_PACK_IMPLEMENTATION
#include <stb_rect_pack.h>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
