#include <GL/gl.h>

#include "BSP.h"
#include "Frame.h"
#include "PanelText.h"

namespace {

void quad(float left, float top, float right, float bottom, float sLeft, float tTop, float sRight, float tBottom) {
    glTexCoord2f(sLeft, tTop);
    glVertex2f(left, top);
    glTexCoord2f(sRight, tTop);
    glVertex2f(right, top);
    glTexCoord2f(sRight, tBottom);
    glVertex2f(right, bottom);
    glTexCoord2f(sLeft, tBottom);
    glVertex2f(left, bottom);
}

// The panel's checker behind a layout's rectangle. The checker is two texels
// wide and repeats. Unfiltered, its squares stay sharp, and the software
// rasteriser fills them a third faster; the texture's own filtering is put
// back for whatever samples it next.
void drawBackground(const PanelLayout& layout) {
    const float left = static_cast<float>(layout.x);
    const float top = static_cast<float>(layout.y);
    const float right = static_cast<float>(layout.x + layout.width);
    const float bottom = static_cast<float>(layout.y + layout.height);
    const float texels = 2.0f * backgroundTexelPixels;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBegin(GL_QUADS);
    quad(left, top, right, bottom, left / texels, top / texels, right / texels, bottom / texels);
    glEnd();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// The lines over the checker, which is bound again after.
void drawLines(const std::vector<std::string>& lines, const PanelLayout& layout, const GlyphAtlas& atlas,
               unsigned int background) {
    drawBackground(layout);
    if (atlas.texture != 0) {
        glBindTexture(GL_TEXTURE_2D, atlas.texture);
        drawText(lines, layout, atlas);
        glBindTexture(GL_TEXTURE_2D, background);
    }
    glTexCoord4f(0.0f, 0.0f, 0.0f, 1.0f);
}

}  // namespace

void drawText(const std::vector<std::string>& lines, const PanelLayout& layout, const GlyphAtlas& atlas) {
    const float sTexel = 1.0f / static_cast<float>(atlas.textureWidth);
    const float tTexel = 1.0f / static_cast<float>(atlas.textureHeight);
    glBegin(GL_QUADS);
    for (std::size_t line = 0; line < layout.lines; ++line) {
        const std::string& text = lines[line];
        const int top = layout.textY + static_cast<int>(line) * atlas.lineHeight + atlas.cellTop;
        for (std::size_t column = 0; column < text.size() && column < layout.columns; ++column) {
            const int cell = glyphCell(text[column]);
            if (cell < 0) continue;
            const int left = layout.textX + static_cast<int>(column) * atlas.advance + atlas.cellLeft;
            const InkBox& ink = atlas.ink[static_cast<std::size_t>(cell)];
            const int s = cell % glyphCellsPerRow * atlas.cellWidth;
            const int t = cell / glyphCellsPerRow * atlas.cellHeight;
            quad(static_cast<float>(left + ink.left), static_cast<float>(top + ink.top),
                 static_cast<float>(left + ink.right), static_cast<float>(top + ink.bottom),
                 static_cast<float>(s + ink.left) * sTexel, static_cast<float>(t + ink.top) * tTexel,
                 static_cast<float>(s + ink.right) * sTexel, static_cast<float>(t + ink.bottom) * tTexel);
        }
    }
    glEnd();
}

const GlyphAtlas& panelGlyphs(PanelCache& panel, unsigned int background) {
    if (!panel.atlasMade) {
        panel.atlas = loadGlyphAtlas(panelTextPixels);
        panel.atlasMade = true;
        glBindTexture(GL_TEXTURE_2D, background);
    }
    return panel.atlas;
}

// Drawn over the screen-space state that the frame leaves, which it leaves
// as it found it: "text_background" bound, white, the texture coordinate at
// its start.
void drawPanel(const PanelState& shown, FrameResources& resources) {
    PanelCache& panel = resources.panel;
    const GLuint background = resources.background;
    panelGlyphs(panel, background);
    const GlyphAtlas& atlas = panel.atlas;
    const View& view = shown.view;
    const std::vector<std::string> lines = panelPage(view.overlayPage, shown);
    const PanelLayout layout =
        layoutPanel(lines, atlas.advance, atlas.lineHeight, view.screenWidth, view.screenHeight);
    if (layout.lines == 0) return;

    drawLines(lines, layout, atlas, background);
}

void drawFindPrompt(const View& view, FrameResources& resources) {
    const GlyphAtlas& atlas = panelGlyphs(resources.panel, resources.background);
    const std::string line = findPromptLine(view.find);
    const PanelLayout layout = layoutPromptLine(line, atlas.advance, atlas.lineHeight, view.screenWidth,
                                                view.screenHeight);
    if (layout.lines == 0) return;
    drawLines({line}, layout, atlas, resources.background);
}
