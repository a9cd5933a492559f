#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The false colours of the texture groups, red, green, blue. Entry k + 6 is
// the contrasting partner of entry k, used for outlines and corners.
constexpr std::size_t paletteSize = 12;
extern const std::array<std::array<double, 3>, paletteSize> groupPalette;

inline std::size_t fillEntry(std::uint32_t texture) { return texture % paletteSize; }

// The sum wraps as the file's unsigned numbers do.
inline std::size_t outlineEntry(std::uint32_t texture) {
    return static_cast<std::uint32_t>(texture + 6u) % paletteSize;
}

// A filled corner's alpha: the vertex's own, weighed by the fill alpha.
inline double cornerAlpha(std::uint8_t vertexAlpha, double fillAlpha) { return vertexAlpha / 255.0 * fillAlpha; }

// An entry with an alpha, as the colour OpenGL is given. Every drawing path
// converts through here, so they all hand over the same floats.
inline std::array<float, 4> paletteColour(std::size_t entry, double alpha) {
    const auto& rgb = groupPalette[entry];
    return {static_cast<float>(rgb[0]), static_cast<float>(rgb[1]), static_cast<float>(rgb[2]),
            static_cast<float>(alpha)};
}
