#pragma once

#include <cstdint>

#include "LevelWriter.h"

namespace mklevel {

// A small recognisable scene (ground, buildings, columns, an arch, a tower)
// in front of the viewer's starting camera at the origin, looking along +y
// with z up. Every palette colour appears and vertex alphas vary; every
// group's texture names a material, and its entities include two spawn points,
// two lights, an item and a named target.
Qor::LevelContents demoScene();

// A large level of about `triangles` triangles in many small groups of
// patches scattered ahead of the camera, the same for the same count.
Qor::LevelContents benchScene(std::uint64_t triangles);

}  // namespace mklevel
