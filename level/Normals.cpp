#include "Normals.h"

#include <cmath>

namespace Qor {

namespace {

constexpr double shortestStored = 0.5;
constexpr double longestStored = 2.0;

// Unit length in float, from a direction worked out in double.
Direction unit(const std::array<double, 3>& v, double length) {
    return {static_cast<float>(v[0] / length), static_cast<float>(v[1] / length),
            static_cast<float>(v[2] / length)};
}

double lengthOf(const std::array<double, 3>& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

}  // namespace

std::optional<Direction> storedNormal(const Vertex& vertex) {
    const std::array<double, 3> n = {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
    const double length = lengthOf(n);
    // A NaN or an infinity makes the length one too, and fails the test.
    if (!(length >= shortestStored && length <= longestStored)) return std::nullopt;
    return unit(n, length);
}

Direction faceNormal(const Vertex& a, const Vertex& b, const Vertex& c) {
    const std::array<double, 3> u = {double{b.x} - a.x, double{b.y} - a.y, double{b.z} - a.z};
    const std::array<double, 3> v = {double{c.x} - a.x, double{c.y} - a.y, double{c.z} - a.z};
    const std::array<double, 3> cross = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                         u[0] * v[1] - u[1] * v[0]};
    const double length = lengthOf(cross);
    // Float coordinates cannot overflow in double, so only a corner that is
    // not finite makes the length so.
    if (!(length > 0.0) || !std::isfinite(length)) return upward;
    return unit(cross, length);
}

std::array<Direction, 3> cornerNormals(const Vertex& a, const Vertex& b, const Vertex& c) {
    return cornerNormals({storedNormal(a), storedNormal(b), storedNormal(c)}, a, b, c);
}

std::array<Direction, 3> cornerNormals(const std::array<std::optional<Direction>, 3>& stored, const Vertex& a,
                                       const Vertex& b, const Vertex& c) {
    if (stored[0] && stored[1] && stored[2]) return {*stored[0], *stored[1], *stored[2]};
    const Direction face = faceNormal(a, b, c);
    return {stored[0].value_or(face), stored[1].value_or(face), stored[2].value_or(face)};
}

}  // namespace Qor
