#pragma once

#include <cstdint>
#include <vector>

namespace Qor {

// How an image's texels are stored: four bytes a texel, or the 4×4 blocks of
// the compressed formats (8 bytes a block for dxt1, 16 for dxt3 and dxt5).
enum class PixelFormat { rgba8, dxt1, dxt3, dxt5 };

// One level of an image, rows from the top. A compressed level holds
// ceil(width/4) × ceil(height/4) blocks.
struct MipLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;
};

// A decoded image: its largest level first, then each smaller one it comes
// with. Images decoded from PNG, TGA, JPEG or BMP have one level.
struct Image {
    PixelFormat format = PixelFormat::rgba8;
    std::vector<MipLevel> levels;

    std::uint32_t width() const { return levels.empty() ? 0 : levels.front().width; }
    std::uint32_t height() const { return levels.empty() ? 0 : levels.front().height; }
};

// The bytes of one level of width × height in format.
std::uint64_t levelBytes(PixelFormat format, std::uint32_t width, std::uint32_t height);

}  // namespace Qor
