#pragma once

// Which way a drawn corner faces. Level compilers differ: some store a unit
// normal with every vertex, some leave zeros or leftovers. A stored normal
// is used when it is plausible; otherwise the corner takes its triangle's.
// The shaded look, the normals look and the export all follow this rule.

#include <array>
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

}  // namespace Qor
