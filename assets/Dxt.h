#pragma once

#include "Image.h"

namespace Qor {

// A compressed level decoded to rgba8 of the same size, for drivers without
// the compressed formats. The level must hold its blocks in full (as readDds
// guarantees); a level already rgba8 is copied.
MipLevel decodeBlocks(PixelFormat format, const MipLevel& level);

// Each level of image decoded so.
Image decodeBlocks(const Image& image);

}  // namespace Qor
