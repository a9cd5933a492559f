#pragma once

#include <array>
#include <vector>

#include "BSP.h"

namespace Qor {

// Where a player may start, in the viewer's terms: yaw 0 looks along +y and
// grows toward +x, within [0, 360); pitch is positive looking up. Degrees.
struct SpawnPoint {
    std::array<double, 3> position;
    double yaw;
    double pitch;
};

// The level's spawn points, in entity order: entities whose classname begins
// with "info_player" or contains "spawn", with an origin of three finite
// numbers. The facing comes from `angle` (degrees from +x toward +y), else
// from `angles` ("pitch yaw roll", pitch positive looking down), else faces
// +x. A value that is not the right count of finite numbers counts as absent.
std::vector<SpawnPoint> spawnPoints(const BSP& level);

}  // namespace Qor
