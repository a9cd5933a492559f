#include "ViewVolume.h"

#include <algorithm>
#include <cmath>

namespace {

// OpenGL transforms and clips in float, a few roundings of about 6e-8 each
// on terms as large as the coordinates times the matrices; this allows far
// more.
constexpr double roundingAllowance = 1e-5;

}  // namespace

ViewVolume::ViewVolume(const std::array<double, 16>& projection, const std::array<double, 16>& modelView,
                       double viewportWidth, double viewportHeight, double marginPixels) {
    if (!(viewportWidth > 0.0) || !(viewportHeight > 0.0)) return;
    // Rows of clip = projection × model-view, and the same product of
    // magnitudes, which bounds what the float arithmetic can cancel.
    std::array<std::array<double, 4>, 4> clip{};
    std::array<std::array<double, 4>, 4> magnitude{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k) {
                const double p = projection[static_cast<std::size_t>(k * 4 + row)];
                const double m = modelView[static_cast<std::size_t>(column * 4 + k)];
                clip[row][column] += p * m;
                magnitude[row][column] += std::abs(p) * std::abs(m);
            }

    // Inside: -w ≤ x, y, z ≤ w, with x and y stretched by the margin.
    const double widen[3] = {1.0 + 2.0 * marginPixels / viewportWidth, 1.0 + 2.0 * marginPixels / viewportHeight,
                             1.0};
    std::size_t next = 0;
    for (int axis = 0; axis < 3; ++axis)
        for (const double sign : {1.0, -1.0}) {
            Plane& plane = planes[next++];
            for (int k = 0; k < 4; ++k) {
                plane.inward[k] = widen[axis] * clip[3][k] + sign * clip[axis][k];
                plane.rounding[k] = roundingAllowance * (widen[axis] * magnitude[3][k] + magnitude[axis][k]);
                if (!std::isfinite(plane.inward[k]) || !std::isfinite(plane.rounding[k])) return;
            }
        }
    culls = true;
}

bool ViewVolume::mayShow(const std::array<float, 3>& low, const std::array<float, 3>& high) const {
    if (!culls) return true;
    for (const Plane& plane : planes) {
        double farthestInside = plane.inward[3];
        double slack = plane.rounding[3];
        for (std::size_t k = 0; k < 3; ++k) {
            farthestInside += plane.inward[k] * (plane.inward[k] > 0.0 ? high[k] : low[k]);
            slack += plane.rounding[k] * std::max(std::abs(low[k]), std::abs(high[k]));
        }
        if (farthestInside < -slack) return false;
    }
    return true;
}
