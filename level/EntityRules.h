#pragma once

// What the viewer makes of an entity's text: what kind of thing it is, where
// it stands and which way it faces. The markers, the spawn points, pointing
// and the export all ask these questions, and get the same answers.

#include <array>
#include <optional>

#include "Elements.h"

namespace Qor {

enum class EntityKind { spawnPoint, light, other };

// A spawn point's classname begins with "info_player" or contains "spawn";
// a light's begins with "light". The first rule wins.
EntityKind entityKind(const Entity& entity);

// The entity's `origin`, when it is exactly three finite numbers separated
// by spaces or tabs.
std::optional<std::array<double, 3>> entityOrigin(const Entity& entity);

// In the viewer's terms, degrees: yaw 0 looks along +y and grows toward +x,
// within [0, 360); pitch is positive looking up, within [−180, 180].
struct Facing {
    double yaw;
    double pitch;
};

// From `angle` (degrees from +x toward +y), else from `angles` ("pitch yaw
// roll", pitch positive looking down), else facing +x. A value that is not
// the right count of finite numbers counts as absent.
Facing entityFacing(const Entity& entity);

// The unit vector of a facing, z up.
std::array<double, 3> facingDirection(const Facing& facing);

}  // namespace Qor
