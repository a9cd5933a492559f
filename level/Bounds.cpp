#include "Bounds.h"

#include <algorithm>
#include <cmath>

namespace Qor {

std::optional<Box> levelBounds(const BSP& level) {
    std::optional<Box> box;
    for (const Vertex& v : level.vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) continue;
        const std::array<float, 3> at = {v.x, v.y, v.z};
        if (!box) box = Box{at, at};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            box->low[axis] = std::min(box->low[axis], at[axis]);
            box->high[axis] = std::max(box->high[axis], at[axis]);
        }
    }
    return box;
}

}  // namespace Qor
