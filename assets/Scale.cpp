#include "Scale.h"

#include <queue>

#include <stb_image_resize.h>

namespace Qor {

MipLevel scaleRgba8(const MipLevel& level, std::uint32_t width, std::uint32_t height) {
    MipLevel out;
    out.width = width < 1 ? 1 : width;
    out.height = height < 1 ? 1 : height;
    out.bytes.resize(static_cast<std::size_t>(levelBytes(PixelFormat::rgba8, out.width, out.height)));
    stbir_resize_uint8(level.bytes.data(), static_cast<int>(level.width), static_cast<int>(level.height), 0,
                       out.bytes.data(), static_cast<int>(out.width), static_cast<int>(out.height), 0, 4);
    return out;
}

MipLevel halveRgba8(const MipLevel& level) { return scaleRgba8(level, level.width / 2, level.height / 2); }

namespace {

std::uint32_t nearestPowerOfTwo(std::uint32_t side) {
    std::uint32_t below = 1;
    while (below <= side / 2) below *= 2;
    if (below == side) return side;
    const std::uint64_t above = std::uint64_t{below} * 2;
    return above - side <= side - below ? static_cast<std::uint32_t>(above) : below;
}

TextureSize halved(TextureSize size) {
    return {size.width > 1 ? size.width / 2 : 1, size.height > 1 ? size.height / 2 : 1};
}

}  // namespace

TextureSize uploadSize(TextureSize size, bool nonPowerOfTwo, std::uint32_t maxSide) {
    if (!nonPowerOfTwo) size = {nearestPowerOfTwo(size.width), nearestPowerOfTwo(size.height)};
    while ((size.width > maxSide || size.height > maxSide) && (size.width > 1 || size.height > 1)) size = halved(size);
    return size;
}

std::uint64_t textureBytes(PixelFormat format, TextureSize size) {
    std::uint64_t total = levelBytes(format, size.width, size.height);
    while (size.width > 1 || size.height > 1) {
        size = halved(size);
        total += levelBytes(format, size.width, size.height);
    }
    return total;
}

std::vector<unsigned> budgetHalvings(const std::vector<TextureSize>& sizes, const std::vector<PixelFormat>& formats,
                                     std::uint64_t budget) {
    std::vector<unsigned> halvings(sizes.size(), 0);
    std::vector<TextureSize> now = sizes;
    std::uint64_t total = 0;
    // Largest first; among equals the one listed first.
    auto larger = [&](std::size_t a, std::size_t b) {
        const std::uint64_t bytesA = textureBytes(formats[a], now[a]);
        const std::uint64_t bytesB = textureBytes(formats[b], now[b]);
        return bytesA != bytesB ? bytesA < bytesB : a > b;
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(larger)> queue(larger);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        total += textureBytes(formats[i], now[i]);
        queue.push(i);
    }
    while (total > budget && !queue.empty()) {
        const std::size_t i = queue.top();
        queue.pop();
        if (now[i].width <= 1 && now[i].height <= 1) continue;
        total -= textureBytes(formats[i], now[i]);
        now[i] = halved(now[i]);
        total += textureBytes(formats[i], now[i]);
        ++halvings[i];
        queue.push(i);
    }
    return halvings;
}

}  // namespace Qor
