#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Image.h"

namespace Qor {

// An image decoded, or why it cannot be used (empty when it can), phrased to
// follow "it ".
struct DecodeResult {
    Image image;
    std::string fault;
};

// Decodes the bytes of an image file, telling the format by its content: DDS
// stays as stored (blocks or rgba8 levels); PNG, TGA (run-length encoded too),
// JPEG and BMP become one rgba8 level. The size in the header is checked
// against ImageLimits.h before decoding, and a TGA or BMP shorter than its
// header says is refused. Safe to call from several threads at once.
DecodeResult decodeImage(const std::uint8_t* bytes, std::size_t size);

}  // namespace Qor
