#pragma once

#include "Image.h"

namespace Qor {

// A compressed level decoded to rgba8 of the same size, for drivers without
// the compressed formats. readDds gives levels that hold their blocks in
// full; a level short of them decodes to transparent black rather than being
// read past its end. A level already rgba8 is copied.
MipLevel decodeBlocks(PixelFormat format, const MipLevel& level);

// Each level of image decoded so.
Image decodeBlocks(const Image& image);

}  // namespace Qor
