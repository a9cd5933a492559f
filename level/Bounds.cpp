#include "Bounds.h"

#include <algorithm>
#include <cmath>

#include "GeometryWalk.h"

namespace Qor {

namespace {

void include(std::optional<Box>& box, const Vertex& v) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return;
    const std::array<float, 3> at = {v.x, v.y, v.z};
    if (!box) box = Box{at, at};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        box->low[axis] = std::min(box->low[axis], at[axis]);
        box->high[axis] = std::max(box->high[axis], at[axis]);
    }
}

}  // namespace

std::optional<Box> levelBounds(const BSP& level) {
    std::optional<Box> box;
    for (const Vertex& v : level.vertices) include(box, v);
    return box;
}

std::optional<Box> shownBounds(const BSP& level, const HiddenMaterials& hidden) {
    if (hidden.showsAll()) return levelBounds(level);
    std::optional<Box> box;
    forEachDrawnGroup(level, false, 0, hidden, [&](const TextureGroup& group) {
        forEachTriangle(level, group, [&](const Vertex& a, const Vertex& b, const Vertex& c) {
            include(box, a);
            include(box, b);
            include(box, c);
        });
    });
    return box;
}

}  // namespace Qor
