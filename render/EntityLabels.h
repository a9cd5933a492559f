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

// The pixels between a marker's origin and its label.
constexpr int labelGap = 12;

// Where a label's text goes: its top-left corner from the window's, and its
// size, in pixels.
struct LabelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

bool overlap(const LabelBox& a, const LabelBox& b);

struct Label {
    std::size_t entity;
    Qor::EntityKind kind;
    std::string text;
    ScreenPoint at;  // where the marker's origin shows
    double distance;
    LabelBox box{};  // set by placeLabels
};

// The labels of the markers whose origin lies ahead of the camera, within
// the reach and inside the window: the nearest first, as many as there may be.
std::vector<Label> chooseLabels(const Qor::BSP& level, const std::vector<Qor::Marker>& markers,
                                const ViewBasis& view);

// Places the labels in their order, the nearest first when chosen as above:
// each right of its marker, or else centred just above it or just below it,
// in the first of those places its box overlaps no label placed before.
// A label with no such place is left out, so no two boxes returned overlap.
std::vector<Label> placeLabels(std::vector<Label> labels, int advance, int lineHeight);
