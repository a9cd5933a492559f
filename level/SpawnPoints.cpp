#include "SpawnPoints.h"

#include "EntityRules.h"

namespace Qor {

std::vector<SpawnPoint> spawnPoints(const BSP& level) {
    std::vector<SpawnPoint> points;
    for (const Entity& entity : level.entities) {
        if (entityKind(entity) != EntityKind::spawnPoint) continue;
        const auto origin = entityOrigin(entity);
        if (!origin) continue;
        const Facing facing = entityFacing(entity);
        points.push_back(SpawnPoint{*origin, facing.yaw, facing.pitch});
    }
    return points;
}

}  // namespace Qor
