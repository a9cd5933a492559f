#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bounds.h"
#include "MaterialTextures.h"
#include "Pointing.h"
#include "View.h"

// What the panel's pages show, gathered from the viewer each frame the panel
// is drawn, so that the pages are built (and checked) without a window.
struct PanelState {
    View view;
    // The level page.
    const Qor::BSP* level = nullptr;
    std::string levelPath;
    double levelLoadMilliseconds = 0.0;
    std::optional<Qor::Box> bounds;
    // What the reader said when the level's file was last read again and did
    // not load (the level shown is the one before).
    std::vector<std::string> failedReload;
    // The view page.
    double framesPerSecond = 0.0;
    double millisecondsPerFrame = 0.0;
    Hit pointing;
    // Per material, its image or none; null when images are not looked for,
    // empty while they are still being looked for.
    const std::vector<MaterialImage>* images = nullptr;
};

// The lines of panel page 1 (the level), 2 (the keys), 3 (the view) or 4
// (the entity): a title, then rows whose values start in one column. Any
// other page, or a state without a level, has none.
std::vector<std::string> panelPage(std::int32_t page, const PanelState& state);

// A number in plain digits, rounded to four significant digits but never to
// fewer than its whole part, without exponent or trailing zeros: 10000,
// 25.94, 0.105, 0.000001.
std::string plainNumber(double value);

// Where the panel goes on a screen: a rectangle in the top-left corner around
// as many of the lines as fit, each cut at the screen's edge.
struct PanelLayout {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int textX = 0;  // where the first line's first character starts
    int textY = 0;
    std::size_t lines = 0;    // how many of the lines are shown
    std::size_t columns = 0;  // characters shown of each line, at most
};

constexpr int panelMargin = 8;   // from the screen's edges
constexpr int panelPadding = 6;  // around the text

PanelLayout layoutPanel(const std::vector<std::string>& lines, int advance, int lineHeight, int screenWidth,
                        int screenHeight);

// The find prompt's line: the slash, the text and a cursor, then the match
// Enter went to ("3 of 17: target_speaker (alarm3)") or "no match".
std::string findPromptLine(const FindPrompt& find);

// Where the find prompt goes: one line along the bottom edge, as wide as the
// window less the margins, its text cut at the right.
PanelLayout layoutPromptLine(const std::string& line, int advance, int lineHeight, int screenWidth,
                             int screenHeight);
