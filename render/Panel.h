#pragma once

#include <optional>

#include "Bounds.h"
#include "GlyphAtlas.h"

// What the panel keeps between frames: its glyphs, made the first time it
// shows, and the level's bounds, which take a walk over every vertex and so
// are worked out once per level.
struct PanelCache {
    bool atlasMade = false;
    GlyphAtlas atlas;
    bool boundsKnown = false;
    std::optional<Qor::Box> bounds;
};

// The panel's text size, in pixels.
constexpr int panelTextPixels = 14;
// How many pixels each texel of the background's checker covers.
constexpr int backgroundTexelPixels = 3;
