#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BSP.h"
#include "PanelText.h"
#include "Renderer.h"
#include "TestSupport.h"
#include "WindowEvents.h"

// The panel in a real window, read back before the swap, and the program
// showing it without a font.

namespace {

using ::testing::Contains;

using Frame = std::vector<std::uint8_t>;  // RGB, rows bottom first as GL reads them

// One triangle, in two groups, that covers the starting view.
std::string coveringLevel() {
    return testsupport::writeLevel("covering.d3dbsp",
                                   {{},
                                    {{3, 0, 3, 0, 3}, {0, 0, 3, 0, 3}},
                                    {{-1000, 100, -1000, 255}, {1000, 100, -1000, 255}, {0, 100, 1000, 255}},
                                    {Qor::Triangle{{0, 1, 2}}}});
}

// A 400 × 300 window showing the covering triangle opaque: the panel's
// background darkens whatever it covers, and the pages are cut at the edges.
class PanelFrames : public ::testing::Test {
protected:
    static constexpr int width = 400;
    static constexpr int height = 300;

    PanelFrames() {
        renderer.setLevel(&level);
        renderer.view.renderMode = RenderMode::opaque;
        renderer.view.mouseLook = false;
    }
    ~PanelFrames() override { shutdownVideo(); }

    Frame draw(bool visible, std::int32_t page) {
        renderer.view.overlayVisible = visible;
        renderer.view.overlayPage = page;
        clearFrame();
        renderer.drawFrame();
        Frame pixels(width * height * 3);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
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

    static std::size_t at(int x, int y) { return static_cast<std::size_t>(((height - 1 - y) * width + x) * 3); }

    bool displayHeld = testsupport::holdDisplay();
    Renderer renderer{{width, height}};
    Qor::BSP level{"", coveringLevel().c_str()};
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
                const std::uint8_t* pixel = hidden.data() + at(x, y);
                const std::uint8_t* shown = pages.back().data() + at(x, y);
                const bool same = std::equal(pixel, pixel + 3, shown);
                // Page 3 also marks what it points at, in white.
                const bool pointingMark = page == 3 && shown[0] == 255 && shown[1] == 255 && shown[2] == 255;
                ASSERT_EQ(same || (pointingMark && !inside), !inside) << "page " << page << " at " << x << ", " << y;
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

    std::vector<double> expected(background.begin(), background.end());
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
                    for (std::size_t k = 0; k < 3; ++k) {
                        double& pixel = expected[at(left + x, top + y) + k];
                        pixel = 255.0 * alpha + pixel * (1.0 - alpha);
                    }
                }
        }
    std::size_t lit = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        ASSERT_NEAR(text[k], expected[k], 2.0) << "pixel " << k / 3 % width << ", " << height - 1 - k / 3 / width;
        lit += text[k] != background[k];
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
