#include "ViewRay.h"

#include <cmath>

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vector3 unit(const Vector3& v) {
    const double length = std::sqrt(dot(v, v));
    return {v[0] / length, v[1] / length, v[2] / length};
}

}  // namespace

double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double distanceBetween(const Vector3& a, const Vector3& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// The look-at's side is the view crossed with the up vector z, its up the
// side crossed with the view; the pitch limit keeps the view off z.
ViewBasis viewBasis(const Vector3& eye, double yaw, double pitch, int width, int height) {
    ViewBasis view{};
    view.eye = eye;
    view.forward = {std::cos(pitch) * std::sin(yaw), std::cos(pitch) * std::cos(yaw), std::sin(pitch)};
    view.right = unit(cross(view.forward, {0.0, 0.0, 1.0}));
    view.up = cross(view.right, view.forward);
    view.halfHeight = std::tan(fieldOfViewDegrees / 2.0 * radiansPerDegree);
    const double aspect = height != 0 ? static_cast<double>(width) / static_cast<double>(height) : 1.0;
    view.halfWidth = view.halfHeight * aspect;
    view.width = width;
    view.height = height;
    return view;
}

Ray pixelRay(const ViewBasis& view, int x, int y) {
    const double across = ((x + 0.5) / view.width * 2.0 - 1.0) * view.halfWidth;
    const double above = (1.0 - (y + 0.5) / view.height * 2.0) * view.halfHeight;
    Vector3 direction{};
    for (std::size_t k = 0; k < 3; ++k)
        direction[k] = view.forward[k] + across * view.right[k] + above * view.up[k];
    return Ray{view.eye, unit(direction)};
}

std::optional<ScreenPoint> projectPoint(const ViewBasis& view, const Vector3& point) {
    const Vector3 offset = {point[0] - view.eye[0], point[1] - view.eye[1], point[2] - view.eye[2]};
    const double depth = dot(offset, view.forward);
    if (!(depth > 0.0)) return std::nullopt;
    const double across = dot(offset, view.right) / (depth * view.halfWidth);
    const double above = dot(offset, view.up) / (depth * view.halfHeight);
    return ScreenPoint{(across + 1.0) / 2.0 * view.width, (1.0 - above) / 2.0 * view.height, depth};
}
