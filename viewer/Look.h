#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// How the filled triangles show the level. Classic is the false-colour view
// with its render modes and fill alpha; the others draw the surfaces opaque
// with a depth test: lit in their material's colour, in the colours the
// level's compiler baked into its vertices, or coloured by their normals.
enum class Look { classic, shaded, baked, normals };

// The names --look takes and the panel shows.
const char* lookName(Look look);
std::optional<Look> parseLook(std::string_view name);

// The c key's step: classic, shaded, baked, normals, and round again.
Look nextLook(Look look);

// Whether a frame drawn in this render mode and look tests and fills the
// depth buffer, so that whatever is drawn over the level can be hidden by it:
// render mode 0 (and any mode that is neither 1 nor 2), or any look but classic.
bool depthTested(std::uint32_t renderMode, Look look);
