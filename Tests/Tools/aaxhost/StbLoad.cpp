// stb_image's code, for reading the golden pictures.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
