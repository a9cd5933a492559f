// stb's image writers, for the fixtures alone.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
