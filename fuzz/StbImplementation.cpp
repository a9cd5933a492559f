// stb's image reading and resizing compiled into the harness, where the
// program links Debian's shared build of the same sources: so the decoders'
// branches steer the fuzzer and the sanitizers see their reads.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_resize.h>
