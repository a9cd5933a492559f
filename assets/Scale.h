#pragma once

#include <cstdint>
#include <vector>

#include "Image.h"

namespace Qor {

// An rgba8 level resampled to width × height (each at least 1).
MipLevel scaleRgba8(const MipLevel& level, std::uint32_t width, std::uint32_t height);

// An rgba8 level at half its width and height, each side at least 1.
MipLevel halveRgba8(const MipLevel& level);

struct TextureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size to upload an image of size at: unchanged when the driver takes
// sizes that are not powers of two, else each side rounded to the nearest
// power of two (up on a tie); then, if a side is over maxSide, both sides cut
// by the same power of two until neither is.
TextureSize uploadSize(TextureSize size, bool nonPowerOfTwo, std::uint32_t maxSide);

// The bytes a texture of size takes in format with all its smaller levels.
std::uint64_t textureBytes(PixelFormat format, TextureSize size);

// How often to halve each image so that all of them together fit in budget
// bytes: the largest (the first of equals) is halved, over and over, until
// the total fits or every image is down to 1 × 1. Sizes and formats pair up.
std::vector<unsigned> budgetHalvings(const std::vector<TextureSize>& sizes, const std::vector<PixelFormat>& formats,
                                     std::uint64_t budget);

}  // namespace Qor
