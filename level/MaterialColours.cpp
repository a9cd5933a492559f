#include "MaterialColours.h"

#include <cmath>

namespace Qor {

namespace {

// 32-bit FNV-1a, then a final mix so that names differing only in their
// last characters still land far apart on the circle.
std::uint32_t nameHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    hash ^= hash >> 16;
    hash *= 0x7feb352du;
    hash ^= hash >> 15;
    hash *= 0x846ca68bu;
    hash ^= hash >> 16;
    return hash;
}

std::uint8_t channel(double value) { return static_cast<std::uint8_t>(std::lround(value * 255.0)); }

// Hue in degrees [0, 360), saturation and value in [0, 1].
Rgb fromHsv(double hue, double saturation, double value) {
    const double sector = hue / 60.0;
    const double chroma = value * saturation;
    const double second = chroma * (1.0 - std::fabs(std::fmod(sector, 2.0) - 1.0));
    const double low = value - chroma;
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    switch (static_cast<int>(sector)) {
    case 0: r = chroma, g = second; break;
    case 1: r = second, g = chroma; break;
    case 2: g = chroma, b = second; break;
    case 3: g = second, b = chroma; break;
    case 4: r = second, b = chroma; break;
    default: r = chroma, b = second; break;
    }
    return {channel(r + low), channel(g + low), channel(b + low)};
}

}  // namespace

Rgb materialColour(std::string_view name) {
    const std::uint32_t hash = nameHash(name);
    const double hue = static_cast<double>(hash & 0xFFFFu) * 360.0 / 65536.0;
    const double saturation = 0.40 + 0.30 * static_cast<double>((hash >> 16) & 0xFFu) / 255.0;
    const double value = 0.72 + 0.23 * static_cast<double>(hash >> 24) / 255.0;
    return fromHsv(hue, saturation, value);
}

Rgb unnamedTextureColour(std::uint32_t texture) {
    constexpr double goldenAngle = 137.50776405003785;
    return fromHsv(std::fmod(texture * goldenAngle, 360.0), 0.55, 0.85);
}

Rgb textureColour(const BSP& level, std::uint32_t texture) {
    return texture < level.materials.size() ? materialColour(level.materials[texture].name)
                                            : unnamedTextureColour(texture);
}

}  // namespace Qor
