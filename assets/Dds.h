#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Image.h"

namespace Qor {

// Whether bytes start with the DDS magic.
bool looksLikeDds(const std::uint8_t* bytes, std::size_t size);

// The outcome of reading a DDS file: the image, or why it cannot be used
// (empty when it can), phrased to follow "it ".
struct DdsResult {
    Image image;
    std::string fault;
};

// Reads a DDS file of DXT1, DXT3 or DXT5 blocks or of 32-bit texels (turned
// into rgba8 by their channel masks). Sizes are checked against the limits of
// ImageLimits.h before anything is allocated; a level count beyond the chain
// down to 1 × 1 is cut to the chain; a level the file ends before is a fault.
DdsResult readDds(const std::uint8_t* bytes, std::size_t size);

}  // namespace Qor
