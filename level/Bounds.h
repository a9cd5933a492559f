#pragma once

#include <array>
#include <optional>

#include "BSP.h"
#include "HiddenMaterials.h"

namespace Qor {

// An axis-aligned box, corners in the level's own float coordinates.
struct Box {
    std::array<float, 3> low;
    std::array<float, 3> high;
};

// The box around every vertex with finite coordinates, or nothing when the
// level has none: a NaN or an infinity would make any box meaningless.
std::optional<Box> levelBounds(const BSP& level);

// The box around what is drawn: the level's bounds while nothing is hidden,
// else the finite corners of the triangles of the materials shown.
std::optional<Box> shownBounds(const BSP& level, const HiddenMaterials& hidden);

}  // namespace Qor
