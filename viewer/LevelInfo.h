#pragma once

#include <array>
#include <optional>
#include <ostream>

namespace Qor {
class BSP;
}

// The box around the level's vertices, lowest and highest x, y, z.
struct LevelBounds {
    std::array<float, 3> low;
    std::array<float, 3> high;
};

// The box around the vertices whose coordinates are all finite; none when no
// vertex has.
std::optional<LevelBounds> levelBounds(const Qor::BSP& level);

// Whether the level's load went through: a failed load leaves no file bytes.
bool levelLoaded(const Qor::BSP& level);

// The summary printed by --info: header, counts, bounds, then the directory.
void printLevelInfo(const Qor::BSP& level, std::ostream& out);
