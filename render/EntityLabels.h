#pragma once

// Which markers get a label, and where, worked out without a window.

#include <cstddef>
#include <string>
#include <vector>

#include "EntityMarkers.h"
#include "ViewRay.h"

// Labels go to markers this near the camera, and to this many at most.
constexpr double labelReach = 2048.0;
constexpr std::size_t mostLabels = 64;

struct Label {
    std::size_t entity;
    Qor::EntityKind kind;
    std::string text;
    ScreenPoint at;  // where the marker's origin shows
    double distance;
};

// The labels of the markers whose origin lies ahead of the camera, within
// the reach and inside the window: the nearest first, as many as there may be.
std::vector<Label> chooseLabels(const Qor::BSP& level, const std::vector<Qor::Marker>& markers,
                                const ViewBasis& view);
