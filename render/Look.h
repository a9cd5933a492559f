#pragma once

#include <optional>
#include <string_view>

// How the filled triangles show the level. Classic is the false-colour view
// with its render modes and fill alpha; the others draw the surfaces opaque
// with a depth test: lit in their material's colour, in the colours the
// level's compiler baked into its vertices, coloured by their normals, or
// showing their materials' images, lit.
enum class Look { classic, shaded, baked, normals, textured };

// The names --look takes and the panel shows.
const char* lookName(Look look);
std::optional<Look> parseLook(std::string_view name);

// The c key's step: classic, shaded, baked, normals, textured, and round again.
Look nextLook(Look look);
