#pragma once

// How the viewer walks a level's geometry. The level's numbers are taken as
// they come, so every position derived from them is checked here: a triangle
// or corner outside the sequences is skipped and the rest is still reached.
// The drawing passes and the level fuzzer share this walk.

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "BSP.h"
#include "HiddenMaterials.h"

namespace Qor {

// Groups whose counts are not whole triangles are never drawn.
inline bool wholeTriangles(const TextureGroup& group) {
    return group.indexCount % 3 == 0 && group.firstIndex % 3 == 0;
}

// Calls visit(group) for each group shown: all of them, or only the selected
// one (none when the selection lies outside the list).
template <typename Visit>
void forEachDrawnGroup(const BSP& level, bool single, std::uint32_t selected, Visit visit) {
    const auto& groups = level.textureGroups;
    if (single) {
        if (selected < groups.size() && wholeTriangles(groups[selected])) visit(groups[selected]);
        return;
    }
    for (const TextureGroup& group : groups)
        if (wholeTriangles(group)) visit(group);
}

// The same, leaving out the groups of hidden materials.
template <typename Visit>
void forEachDrawnGroup(const BSP& level, bool single, std::uint32_t selected, const HiddenMaterials& hidden,
                       Visit visit) {
    forEachDrawnGroup(level, single, selected, [&](const TextureGroup& group) {
        if (!hidden.hides(group.texture)) visit(group);
    });
}

// Calls visit(position, at) for each of the group's triangles that lies
// wholly inside the level: its position in the level's triangles and its
// corners' positions in the level's vertices. Corner numbers are offset by
// the group's first vertex in unsigned 32-bit arithmetic, as the file's
// readers expect.
template <typename Visit>
void forEachTrianglePosition(const BSP& level, const TextureGroup& group, Visit visit) {
    const std::size_t first = group.firstIndex / 3;
    const std::size_t count = group.indexCount / 3;
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t position = first + t;
        if (position >= level.triangles.size()) return;
        const Triangle& triangle = level.triangles[position];
        std::array<std::uint32_t, 3> at{};
        bool inside = true;
        for (std::size_t k = 0; k < 3; ++k) {
            at[k] = group.firstVertex + triangle.corners[k];
            inside = inside && at[k] < level.vertices.size();
        }
        if (inside) visit(position, at);
    }
}

// Calls corners(v0, v1, v2) for each of the group's triangles that lies
// wholly inside the level.
template <typename Corners>
void forEachTriangle(const BSP& level, const TextureGroup& group, Corners corners) {
    forEachTrianglePosition(level, group, [&](std::size_t, const std::array<std::uint32_t, 3>& at) {
        corners(level.vertices[at[0]], level.vertices[at[1]], level.vertices[at[2]]);
    });
}

inline bool planeValuesFinite(const Plane& plane) {
    return std::isfinite(plane.a) && std::isfinite(plane.b) && std::isfinite(plane.c) && std::isfinite(plane.d);
}

// A plane is shown as the point (a·d, b·d, c·d), products in float: for a
// unit normal, the point of the plane nearest the origin. A plane with a
// value that is not finite, or whose point is not (a product too large for
// a float), is not shown at all.
inline std::optional<std::array<float, 3>> planePoint(const Plane& plane) {
    if (!planeValuesFinite(plane)) return std::nullopt;
    const std::array<float, 3> point = {plane.a * plane.d, plane.b * plane.d, plane.c * plane.d};
    if (!std::isfinite(point[0]) || !std::isfinite(point[1]) || !std::isfinite(point[2])) return std::nullopt;
    return point;
}

}  // namespace Qor
