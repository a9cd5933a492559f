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

// The level's spawn points, in entity order: the entities of that kind that
// have an origin, facing as EntityRules.h reads them.
std::vector<SpawnPoint> spawnPoints(const BSP& level);

}  // namespace Qor
