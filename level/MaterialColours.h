#pragma once

// The colour a texture group is shown in when the level is seen as surfaces,
// and exported in: its material's. A material's colour depends on its name
// alone, so a material looks the same in every level and every run.

#include <array>
#include <cstdint>
#include <string_view>

#include "BSP.h"

namespace Qor {

using Rgb = std::array<std::uint8_t, 3>;  // red, green, blue

// A muted, mid-bright colour of a hue spread over the whole circle by a
// stable hash of the name's bytes.
Rgb materialColour(std::string_view name);

// The colour of a texture index that names no material: hues a golden angle
// apart, so that neighbouring indices differ most.
Rgb unnamedTextureColour(std::uint32_t texture);

// The colour of a group with this texture index in this level.
Rgb textureColour(const BSP& level, std::uint32_t texture);

}  // namespace Qor
