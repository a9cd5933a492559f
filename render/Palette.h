#pragma once

#include <array>
#include <cstddef>

// The false colours of the texture groups, red, green, blue. Entry k + 6 is
// the contrasting partner of entry k, used for outlines and corners.
constexpr std::size_t paletteSize = 12;
extern const std::array<std::array<double, 3>, paletteSize> groupPalette;
