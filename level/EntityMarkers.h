#pragma once

// The entities the view marks: those with an origin, each as a cube around
// it, and its label. Drawing, pointing and the entity keys share these.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "BSP.h"
#include "EntityRules.h"

namespace Qor {

// A marker's cube is this many units a side, centred on the origin; a
// spawn point's facing line is this long.
constexpr double markerSide = 16.0;
constexpr double facingLineLength = 32.0;

struct Marker {
    std::size_t entity;  // its position in the level's entities, from 0
    std::array<double, 3> origin;
    EntityKind kind;
};

// The level's markers, in entity order.
std::vector<Marker> entityMarkers(const BSP& level);

// The marker of the entity at that position, when it has an origin.
std::optional<Marker> entityMarker(const BSP& level, std::size_t entity);

// "classname", or "classname (targetname)" when it has one, in printable
// ASCII.
std::string markerLabel(const Entity& entity);

}  // namespace Qor
