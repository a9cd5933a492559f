#include <cstdlib>
#include <map>

#include "PanelText.h"
#include "WindowEvents.h"

// The panel in a real window, read back before the swap, and the program
// showing it without a font.

namespace {

using ::testing::Contains;

using Frame = std::vector<RgbPixel>;

// One triangle, in two groups, that covers the starting view.
std::string coveringLevel() {
    Qor::LevelContents contents = oneTriangle({{-1000, 100, -1000}, {1000, 100, -1000}, {0, 100, 1000}}, 3);
    contents.textureGroups.push_back({0, 0, 3, 0, 3});
    return testsupport::writeLevel("covering.d3dbsp", contents);
}

// A 400 × 300 window showing the covering triangle opaque: the panel's
// background darkens whatever it covers, and the pages are cut at the edges.
class PanelFrames : public ViewerWindow {
protected:
    static constexpr int width = 400;
    static constexpr int height = 300;

    PanelFrames() : ViewerWindow({width, height}) {
        show(coveringLevel());
        renderer.view.renderMode = RenderMode::opaque;
        renderer.view.mouseLook = false;
    }

    Frame draw(bool visible, std::int32_t page) {
        renderer.view.overlayVisible = visible;
        renderer.view.overlayPage = page;
        return picture();
    }

    // What a frame could leave behind it, the bound texture's own included.
    static std::map<GLenum, std::array<GLfloat, 16>> glState() {
        std::map<GLenum, std::array<GLfloat, 16>> all;
        for (const GLenum name : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_MATRIX_MODE, GL_CURRENT_COLOR,
                                  GL_CURRENT_TEXTURE_COORDS, GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D, GL_BLEND,
                                  GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_TEST, GL_UNPACK_ALIGNMENT})
            glGetFloatv(name, all[name].data());
        for (const GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S})
            glGetTexParameterfv(GL_TEXTURE_2D, name, all[name].data());
        return all;
    }

    PanelLayout layout() const {
        const GlyphAtlas& atlas = renderer.frame.panel.atlas;
        return layoutPanel(panelPage(renderer.view.overlayPage, renderer.panelState()), atlas.advance, atlas.lineHeight,
                           width, height);
    }
};

TEST_F(PanelFrames, EachPageChangesOnlyItsRectangleAndLeavesTheGlStateAsHidingLeavesTheFrame) {
    const Frame hidden = draw(false, 0);
    const auto state = glState();
    std::vector<Frame> pages;
    for (const std::int32_t page : {1, 2, 3}) {
        pages.push_back(draw(true, page));
        EXPECT_EQ(glState(), state) << page;
        const PanelLayout panel = layout();
        ASSERT_TRUE(panel.lines > 0 && panel.x + panel.width <= width && panel.y + panel.height <= height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool inside =
                    x >= panel.x && x < panel.x + panel.width && y >= panel.y && y < panel.y + panel.height;
                const RgbPixel shown = pages.back()[pixelIndex(x, y)];
                // Page 3 also marks what it points at, in white.
                const bool pointingMark = page == 3 && shown == white;
                ASSERT_EQ(hidden[pixelIndex(x, y)] == shown || (pointingMark && !inside), !inside)
                    << "page " << page << " at " << x << ", " << y;
            }
    }
    EXPECT_TRUE(pages[0] != pages[1] && pages[1] != pages[2] && pages[0] != pages[2]);
    // The view page follows the keys: the next group, one of two.
    for (const SDLKey key : {SDLK_g, SDLK_RIGHT}) pushKey(key);
    renderer.handleInput();
    EXPECT_THAT(panelPage(3, renderer.panelState()), Contains("group              1 of 2"));
    EXPECT_NE(draw(true, 3), pages[2]);
    EXPECT_EQ(draw(false, 3), hidden);
    EXPECT_EQ(glState(), state);
}

// Each character's atlas cell, white at the texel's alpha, laid over the
// frame with the background alone, in the order the text runs.
TEST_F(PanelFrames, TheTextIsTheAtlasCellsOfTheLinesCharactersOverTheBackground) {
    const Frame text = draw(true, 2);
    const GlyphAtlas atlas = renderer.frame.panel.atlas;
    ASSERT_NE(atlas.texture, 0u) << "no font";
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(atlas.textureWidth * atlas.textureHeight) * 4);
    glBindTexture(GL_TEXTURE_2D, atlas.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, renderer.textures.at("text_background"));
    renderer.frame.panel.atlas.texture = 0;
    const Frame background = draw(true, 2);

    std::vector<std::array<double, 3>> expected;
    for (const RgbPixel& p : background) expected.push_back({1.0 * p[0], 1.0 * p[1], 1.0 * p[2]});
    const PanelLayout panel = layout();
    const std::vector<std::string> lines = panelPage(2, renderer.panelState());
    for (std::size_t line = 0; line < panel.lines; ++line)
        for (std::size_t column = 0; column < std::min(lines[line].size(), panel.columns); ++column) {
            const int cell = glyphCell(lines[line][column]);
            const int left = panel.textX + static_cast<int>(column) * atlas.advance + atlas.cellLeft;
            const int top = panel.textY + static_cast<int>(line) * atlas.lineHeight + atlas.cellTop;
            for (int y = 0; cell >= 0 && y < atlas.cellHeight; ++y)
                for (int x = 0; x < atlas.cellWidth; ++x) {
                    const int s = cell % glyphCellsPerRow * atlas.cellWidth + x;
                    const int t = cell / glyphCellsPerRow * atlas.cellHeight + y;
                    const double alpha = texels[static_cast<std::size_t>(t * atlas.textureWidth + s) * 4 + 3] / 255.0;
                    for (double& channel : expected[pixelIndex(left + x, top + y)])
                        channel = 255.0 * alpha + channel * (1.0 - alpha);
                }
        }
    std::size_t lit = 0;
    for (std::size_t k = 0; k < text.size(); ++k)
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_NEAR(text[k][c], expected[k][c], 2.0) << "pixel " << k % width << ", " << height - 1 - k / width;
            lit += text[k][c] != background[k][c];
        }
    EXPECT_GT(lit, 1000u);
}

// Without any font the viewer warns once, however many frames show the
// panel, and runs on.
TEST(PanelOption, WithoutAFontWarnsOnceAndRunsOn) {
    const std::string level = coveringLevel();
    setenv("FONTCONFIG_FILE", testsupport::writeTemp("no-fonts.conf", "<fontconfig/>\n").c_str(), 1);
    const auto run = testsupport::runProcess({testsupport::viewerBinary(), "--panel", "1", "--frames", "3", level});
    unsetenv("FONTCONFIG_FILE");
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "WARNING: The panel shows no text: fontconfig found no font for 'monospace'.\n");
}

}  // namespace
