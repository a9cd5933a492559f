#include "Image.h"

#include "ImageLimits.h"

namespace Qor {

std::uint64_t levelBytes(PixelFormat format, std::uint32_t width, std::uint32_t height) {
    const std::uint64_t blocks = (std::uint64_t{width} + 3) / 4 * ((std::uint64_t{height} + 3) / 4);
    switch (format) {
    case PixelFormat::rgba8: return std::uint64_t{width} * height * 4;
    case PixelFormat::dxt1: return blocks * 8;
    case PixelFormat::dxt3:
    case PixelFormat::dxt5: return blocks * 16;
    }
    return 0;
}

std::string imageSizeFault(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0) return "has no texels";
    if (width > maxImageSide || height > maxImageSide)
        return "is '" + std::to_string(width) + "' by '" + std::to_string(height) + "' pixels, over '" +
               std::to_string(maxImageSide) + "' on a side";
    const std::uint64_t decoded = std::uint64_t{width} * height * 4;
    if (decoded > maxDecodedBytes)
        return "would take '" + std::to_string(decoded) + "' bytes decoded, over '" +
               std::to_string(maxDecodedBytes) + "'";
    return {};
}

}  // namespace Qor
