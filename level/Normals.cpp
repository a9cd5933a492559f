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

std::array<double, 3> crossOf(const Vertex& a, const Vertex& b, const Vertex& c) {
    const std::array<double, 3> u = {double{b.x} - a.x, double{b.y} - a.y, double{b.z} - a.z};
    const std::array<double, 3> v = {double{c.x} - a.x, double{c.y} - a.y, double{c.z} - a.z};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

double dotOf(const std::array<double, 3>& u, const std::array<double, 3>& v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

}  // namespace

std::optional<Direction> storedNormal(const Vertex& vertex) {
    const std::array<double, 3> n = {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
    const double length = lengthOf(n);
    // A NaN or an infinity makes the length one too, and fails the test.
    if (!(length >= shortestStored && length <= longestStored)) return std::nullopt;
    return unit(n, length);
}

Direction faceNormal(const Vertex& a, const Vertex& b, const Vertex& c) {
    const std::array<double, 3> cross = crossOf(a, b, c);
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

Winding frontWinding(const Vertex& a, const Vertex& b, const Vertex& c) {
    return frontWinding({storedNormal(a), storedNormal(b), storedNormal(c)}, a, b, c);
}

Winding frontWinding(const std::array<std::optional<Direction>, 3>& stored, const Vertex& a, const Vertex& b,
                     const Vertex& c) {
    const std::array<Direction, 3> normals = cornerNormals(stored, a, b, c);
    std::array<double, 3> sum{};
    for (const Direction& n : normals)
        for (std::size_t k = 0; k < 3; ++k) sum[k] += n[k];
    // A corner that is not finite makes the product NaN, which is neither.
    const double agreement = dotOf(sum, crossOf(a, b, c));
    if (agreement > 0.0) return Winding::asStored;
    if (agreement < 0.0) return Winding::reversed;
    return Winding::either;
}

CornerOrders frontCornerOrders(Winding winding) {
    constexpr std::array<std::uint8_t, 3> stored = {0, 1, 2};
    constexpr std::array<std::uint8_t, 3> turned = {0, 2, 1};
    switch (winding) {
    case Winding::asStored: return {{stored, stored}, 1};
    case Winding::reversed: return {{turned, turned}, 1};
    case Winding::either: break;
    }
    return {{stored, turned}, 2};
}

bool seenFromBehind(const Vertex& a, const Vertex& b, const Vertex& c, const std::array<double, 3>& direction) {
    const Winding winding = frontWinding(a, b, c);
    if (winding == Winding::either) return false;
    const double along = dotOf(direction, crossOf(a, b, c));
    return winding == Winding::asStored ? along > 0.0 : along < 0.0;
}

}  // namespace Qor
