// stb's image decoders and resizer, compiled here rather than taken from the
// system's shared build, because the images come from anywhere:
// - only the four formats textures come in are built; stb's other decoders
//   (PNM, GIF, PSD, HDR, PIC) are less travelled, and a file in one of their
//   formats is now simply no image;
// - every block stb allocates starts zeroed. stb (as of 2.27) reads tables a
//   file never gave: a JPEG scan may name a Huffman table that no segment
//   defined, and the decoder then indexes by whatever the heap last held
//   there. Zeroed, such a table decodes every code as symbol 0.
#include <cstdlib>

#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_resize.h>
