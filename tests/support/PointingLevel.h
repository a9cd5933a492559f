#pragma once

// The level the pointing tests cast rays into, by hand and through the viewer.

#include <limits>

#include "LevelWriter.h"

// A floor (z -10, triangles 0 and 1), a wall across the view at y 500
// (triangle 2) that group 2 draws again, two copies of one small triangle
// before the wall at y 300, above the eye's level (3 and 4), a triangle with
// a corner that is no number in front of everything (5), a group that is not
// whole triangles (6) and a triangle with a corner past the vertices (7).
inline Qor::LevelContents pointingLevel() {
    Qor::LevelContents level;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    level.vertices = {{-100, 0, -10}, {100, 0, -10}, {100, 1000, -10}, {-100, 1000, -10},
                      {-50, 500, -10}, {50, 500, -10}, {0, 500, 90},
                      {-10, 300, 2},  {10, 300, 2},  {0, 300, 22},
                      {-5, 200, -5},  {5, 200, -5},  {0, 200, nan},
                      {-5, 100, -5},  {5, 100, -5},  {0, 100, 5}};
    level.triangles = {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 2, 3}}, Qor::Triangle{{4, 5, 6}},
                       Qor::Triangle{{7, 8, 9}}, Qor::Triangle{{7, 8, 9}}, Qor::Triangle{{10, 11, 12}},
                       Qor::Triangle{{13, 14, 15}}, Qor::Triangle{{13, 14, 99}}};
    level.textureGroups = {{0, 0, 4, 0, 6}, {1, 0, 3, 6, 3}, {2, 0, 3, 6, 3}, {3, 0, 3, 9, 6},
                           {4, 0, 3, 15, 3}, {5, 0, 3, 18, 4}, {6, 0, 3, 21, 3}};
    level.materials = {{"floor"}, {"wall"}};
    return level;
}
