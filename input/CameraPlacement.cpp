#include "CameraPlacement.h"

#include <algorithm>
#include <cmath>

#include "CameraMotion.h"
#include "ViewRay.h"

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

// The margin around the level's sphere, so that its edge does not touch the window's.
constexpr double fitMargin = 1.02;
constexpr double smallestRadius = 1e-3;
constexpr double fitYawDegrees = 45.0;
constexpr double fitPitchDegrees = -30.0;

}  // namespace

CameraView fitView(const Qor::Box& box, double aspect, double nearPlane, double farPlane) {
    std::array<double, 3> centre{};
    double radius = 0.0;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double low = box.low[axis];
        const double high = box.high[axis];
        centre[axis] = low + (high - low) / 2.0;
        radius += (high - low) * (high - low) / 4.0;
    }
    // A level of one point still needs a distance to be seen from.
    radius = std::max(std::sqrt(radius), smallestRadius);

    const double halfVertical = fieldOfViewDegrees / 2.0 * radiansPerDegree;
    const double halfHorizontal = std::atan(std::tan(halfVertical) * aspect);
    const double distance = radius / std::sin(std::min(halfVertical, halfHorizontal)) * fitMargin;

    CameraView view{};
    view.yaw = yawFromDegrees(fitYawDegrees);
    view.pitch = pitchFromDegrees(fitPitchDegrees);
    const double direction[3] = {std::cos(view.pitch) * std::sin(view.yaw), std::cos(view.pitch) * std::cos(view.yaw),
                                 std::sin(view.pitch)};
    for (std::size_t axis = 0; axis < 3; ++axis) view.position[axis] = centre[axis] - distance * direction[axis];

    // The sphere lies from distance − radius to distance + radius ahead, and
    // distance is well above radius, so near always has room before it.
    double scale = 1.0;
    if (farPlane < (distance + radius) * fitMargin) scale = (distance + radius) * fitMargin / farPlane;
    if (nearPlane > (distance - radius) / fitMargin) scale = (distance - radius) / fitMargin / nearPlane;
    scale = std::clamp(scale, minNearPlane / nearPlane, maxFarPlane / farPlane);
    view.nearPlane = nearPlane * scale;
    view.farPlane = farPlane * scale;
    return view;
}

std::array<double, 3> positionLookingAt(const std::array<double, 3>& point, double yaw, double pitch,
                                        double distance) {
    const double direction[3] = {std::cos(pitch) * std::sin(yaw), std::cos(pitch) * std::cos(yaw), std::sin(pitch)};
    return {point[0] - distance * direction[0], point[1] - distance * direction[1],
            point[2] - distance * direction[2]};
}
