#pragma once

#include <optional>
#include <string>
#include <vector>

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

struct PanelLayout;

// The panel's glyphs, made the first time they are asked for; the background
// texture is bound again after.
const GlyphAtlas& panelGlyphs(PanelCache& panel, unsigned int background);

// The lines' characters from the layout's text corner, in the current colour,
// with the atlas's texture bound.
void drawText(const std::vector<std::string>& lines, const PanelLayout& layout, const GlyphAtlas& atlas);
