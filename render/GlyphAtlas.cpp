#include "GlyphAtlas.h"

#include <GL/gl.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const fontPattern = "monospace";

// The file of the font matching the pattern, or empty. A configuration of its
// own is loaded and dropped, so that nothing of fontconfig outlives the call.
std::string findFont(const char* pattern) {
    std::string file;
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (config != nullptr && wanted != nullptr) {
        FcConfigSubstitute(config, wanted, FcMatchPattern);
        FcDefaultSubstitute(wanted);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, wanted, &result);
        FcChar8* path = nullptr;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        if (match != nullptr) FcPatternDestroy(match);
    }
    if (wanted != nullptr) FcPatternDestroy(wanted);
    if (config != nullptr) FcConfigDestroy(config);
    return file;
}

int powerOfTwoAtLeast(int value) {
    int power = 1;
    while (power < value) power *= 2;
    return power;
}

struct Glyph {
    int minX, maxX, minY, maxY, advance;
};

// Renders every cell into RGBA texels and fills in the atlas's geometry.
std::vector<std::uint8_t> renderCells(TTF_Font* font, GlyphAtlas& atlas) {
    const int ascent = TTF_FontAscent(font);
    std::vector<Glyph> glyphs;
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = TTF_FontHeight(font);
    atlas.advance = 0;
    for (char c = firstGlyph; c <= lastGlyph; ++c) {
        Glyph g{};
        TTF_GlyphMetrics(font, static_cast<Uint16>(c), &g.minX, &g.maxX, &g.minY, &g.maxY, &g.advance);
        left = std::min(left, g.minX);
        right = std::max({right, g.maxX, g.advance});
        top = std::min(top, ascent - g.maxY);
        bottom = std::max(bottom, ascent - g.minY);
        atlas.advance = std::max(atlas.advance, g.advance);
        glyphs.push_back(g);
    }
    atlas.lineHeight = TTF_FontLineSkip(font);
    atlas.cellLeft = left;
    atlas.cellTop = top;
    atlas.cellWidth = right - left;
    atlas.cellHeight = bottom - top;
    const int rows = (static_cast<int>(glyphs.size()) + glyphCellsPerRow - 1) / glyphCellsPerRow;
    atlas.textureWidth = powerOfTwoAtLeast(glyphCellsPerRow * atlas.cellWidth);
    atlas.textureHeight = powerOfTwoAtLeast(rows * atlas.cellHeight);

    const auto width = static_cast<std::size_t>(atlas.textureWidth);
    std::vector<std::uint8_t> texels(width * static_cast<std::size_t>(atlas.textureHeight) * 4, 0);
    for (std::size_t k = 0; k < texels.size(); k += 4) texels[k] = texels[k + 1] = texels[k + 2] = 255;
    const SDL_Color white{255, 255, 255, 0};
    for (char c = firstGlyph; c <= lastGlyph; ++c) {
        SDL_Surface* bitmap = TTF_RenderGlyph_Blended(font, static_cast<Uint16>(c), white);
        if (bitmap == nullptr) continue;
        const Glyph& g = glyphs[static_cast<std::size_t>(c - firstGlyph)];
        const int cell = glyphCell(c);
        const int cellX = cell % glyphCellsPerRow * atlas.cellWidth;
        const int cellY = cell / glyphCellsPerRow * atlas.cellHeight;
        const int offsetX = g.minX - left;
        const int offsetY = ascent - g.maxY - top;
        atlas.ink[static_cast<std::size_t>(cell)] = {
            std::max(offsetX, 0), std::max(offsetY, 0), std::min(offsetX + bitmap->w, atlas.cellWidth),
            std::min(offsetY + bitmap->h, atlas.cellHeight)};
        // Blended glyphs come as 32-bit pixels with an alpha channel.
        SDL_LockSurface(bitmap);
        const SDL_PixelFormat& format = *bitmap->format;
        for (int y = 0; y < bitmap->h && offsetY + y < atlas.cellHeight; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(bitmap->pixels) + y * bitmap->pitch;
            for (int x = 0; x < bitmap->w && offsetX + x < atlas.cellWidth; ++x) {
                Uint32 pixel = 0;
                std::memcpy(&pixel, row + 4 * x, sizeof pixel);
                const auto alpha = static_cast<std::uint8_t>((pixel & format.Amask) >> format.Ashift);
                const auto at = (static_cast<std::size_t>(cellY + offsetY + y) * width +
                                 static_cast<std::size_t>(cellX + offsetX + x)) * 4;
                texels[at + 3] = alpha;
            }
        }
        SDL_UnlockSurface(bitmap);
        SDL_FreeSurface(bitmap);
    }
    return texels;
}

}  // namespace

int glyphCell(char character) {
    if (character == ' ') return -1;
    if (character < firstGlyph || character > lastGlyph) character = missingGlyph;
    return character - firstGlyph;
}

GlyphAtlas loadGlyphAtlas(int pixelSize) {
    GlyphAtlas atlas;
    const std::string file = findFont(fontPattern);
    if (file.empty()) {
        std::cerr << "WARNING: The panel shows no text: fontconfig found no font for '" << fontPattern << "'.\n";
        return atlas;
    }
    TTF_Font* font = TTF_Init() == 0 ? TTF_OpenFont(file.c_str(), pixelSize) : nullptr;
    if (font == nullptr) {
        std::cerr << "WARNING: The panel shows no text: could not open font file '" << file << "'.\n";
        if (TTF_WasInit() != 0) TTF_Quit();
        return atlas;
    }
    const std::vector<std::uint8_t> texels = renderCells(font, atlas);
    TTF_CloseFont(font);
    TTF_Quit();

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // One texel to one pixel: text stays sharp only unfiltered.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, atlas.textureWidth, atlas.textureHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.data());
    atlas.texture = name;
    return atlas;
}
