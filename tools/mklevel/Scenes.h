#pragma once

#include <cstdint>

#include "LevelWriter.h"

namespace mklevel {

// A small recognisable scene (ground, buildings, columns, an arch, a tower)
// in front of the viewer's starting camera at the origin, looking along +y
// with z up. Every palette colour appears and vertex alphas vary.
Qor::LevelContents demoScene();

// A large level of about `triangles` triangles in many small groups of
// patches scattered ahead of the camera, the same for the same count. Mostly
// behind, nine groups in ten lie behind the camera instead, out of its view.
Qor::LevelContents benchScene(std::uint64_t triangles, bool mostlyBehind = false);

}  // namespace mklevel
