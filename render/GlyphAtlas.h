#pragma once

#include <array>
#include <cstdint>

constexpr char firstGlyph = '!';
constexpr char lastGlyph = '~';
constexpr int glyphCellsPerRow = 16;
// Characters without a cell of their own are drawn as this one.
constexpr char missingGlyph = '?';

// The part of a cell that a glyph inks, in pixels from the cell's top left
// corner; the rest of the cell is clear and is not drawn.
struct InkBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The printable ASCII characters of one monospace font, each rendered once
// into its own cell of one texture, white with the glyph's coverage as alpha.
// A character is drawn as its cell placed at the pen: cellLeft and cellTop
// from the pen's position on the line's top, then the pen moves by advance.
struct GlyphAtlas {
    std::uint32_t texture = 0;  // 0 when no font could be loaded: no text
    // Without a font these stay at the usual font's, so that what is drawn
    // without text keeps its size.
    int advance = 8;
    int lineHeight = 17;
    int cellLeft = 0;
    int cellTop = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int textureWidth = 0;
    int textureHeight = 0;
    std::array<InkBox, lastGlyph - firstGlyph + 1> ink{};
};

// The cell of a character, counted along the atlas's rows; spaces have none
// and give -1.
int glyphCell(char character);

// Finds the font matching "monospace" through fontconfig, renders the atlas at
// the given pixel size and uploads it, leaving the texture bound. Without a
// font it prints one WARNING line naming what it looked for and returns an
// atlas without texture. Needs the GL context.
GlyphAtlas loadGlyphAtlas(int pixelSize);
