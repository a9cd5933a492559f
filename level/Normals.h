#pragma once

// Which way a drawn corner faces. Level compilers differ: some store a unit
// normal with every vertex, some leave zeros or leftovers. A stored normal
// is used when it is plausible; otherwise the corner takes its triangle's.
// The shaded look, the normals look and the export all follow this rule.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "Elements.h"

namespace Qor {

using Direction = std::array<float, 3>;

// The direction a triangle with no area (or with coordinates that are not
// finite) is given: up, as a floor faces.
constexpr Direction upward{0.0f, 0.0f, 1.0f};

// The vertex's stored normal, made unit length, when its three values are
// finite and its length lies between 0.5 and 2; nothing otherwise.
std::optional<Direction> storedNormal(const Vertex& vertex);

// The unit normal of the triangle a, b, c from the cross product
// (b − a) × (c − a), so that it faces the side from which the corners run
// counter-clockwise; `upward` for a triangle with no area.
Direction faceNormal(const Vertex& a, const Vertex& b, const Vertex& c);

// The normals the triangle's corners are drawn with, corner by corner.
std::array<Direction, 3> cornerNormals(const Vertex& a, const Vertex& b, const Vertex& c);

// The same, from the corners' stored normals as storedNormal gives them: for
// a caller that meets each vertex in many triangles and works them out once.
std::array<Direction, 3> cornerNormals(const std::array<std::optional<Direction>, 3>& stored, const Vertex& a,
                                       const Vertex& b, const Vertex& c);

// Which way round a triangle's corners run seen from its front. Level
// surfaces are one-sided, and the side they are seen from is the one their
// drawn normals face (cornerNormals, summed over the three corners); the
// order the compiler stored the corners in says nothing about it. A triangle
// whose front cannot be told (no area, its normals summing to nothing or
// lying in its plane, a corner that is not finite) is `either`: it shows from
// both sides.
enum class Winding { asStored, reversed, either };

Winding frontWinding(const Vertex& a, const Vertex& b, const Vertex& c);
// The same from the corners' stored normals as storedNormal gives them.
Winding frontWinding(const std::array<std::optional<Direction>, 3>& stored, const Vertex& a, const Vertex& b,
                     const Vertex& c);

// The orders a triangle's corners are drawn in so that, seen from its front,
// they run counter-clockwise: one order, or for `either` both, so that
// whichever side is seen one of them faces it.
struct CornerOrders {
    std::array<std::array<std::uint8_t, 3>, 2> orders;
    std::size_t count;
};
CornerOrders frontCornerOrders(Winding winding);

// Whether a ray going along `direction` meets the triangle from behind:
// what one-sided drawing leaves out. A triangle met edge on, or whose front
// cannot be told, is not.
bool seenFromBehind(const Vertex& a, const Vertex& b, const Vertex& c, const std::array<double, 3>& direction);

}  // namespace Qor
