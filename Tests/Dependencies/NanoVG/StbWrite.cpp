// PNG writing for the golden pictures (Debian's libstb-dev).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
