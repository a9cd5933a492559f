#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "KeyHelp.h"
#include "PanelText.h"
#include "Renderer.h"
#include "TestSupport.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// Three planes; two groups, the second not whole triangles; four vertices
// (the NaN one outside the bounds) and two triangles, the second with a
// corner past the vertices.
Qor::LevelContents panelLevel() {
    return {{{1, 2, 3, 4}, {0, -1, 0, -300}, {5, 6, 7, 8}},
            {{7, 0, 4, 0, 6}, {2, 1, 2, 3, 4}},
            {{-1.25f, 2, -3, 255}, {4, 5.06f, 6, 255}, {0, 0, 0, 255}, {NAN, 0, 0, 255}},
            {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 1, 9}}}};
}

class PanelPages : public ::testing::Test {
protected:
    PanelPages() {
        state.level = &level;
        state.levelPath = "levels/panel.d3dbsp";
        state.levelLoadMilliseconds = 12.3456;
        state.bounds = Qor::levelBounds(level);
    }

    Qor::BSP level{"", testsupport::writeLevel("panel.d3dbsp", panelLevel()).c_str()};
    PanelState state;
};

TEST_F(PanelPages, TheLevelPageGivesTheFileItsCountsBoundsAndLoadTime) {
    EXPECT_THAT(panelPage(1, state),
                ElementsAre("Level  (i hides it; F1 keys, F2 view)", "file            panel.d3dbsp",
                            "path            levels/panel.d3dbsp",
                            "size            " + std::to_string(level.buffer.size) + " bytes",
                            "version         4", "lumps read      39", "planes          3",
                            "texture groups  2", "vertices        4", "triangles       2",
                            "bounds          -1.2 0.0 -3.0 to 4.0 5.1 6.0", "load time       12.35 ms"));
    const Qor::BSP missing("", testsupport::tempPath("missing.d3dbsp").c_str());
    state.level = &missing;
    state.bounds = Qor::levelBounds(missing);
    EXPECT_THAT(panelPage(1, state), testing::IsSupersetOf({"size            none", "version         none",
                                                            "bounds          none"}));
    EXPECT_THAT(panelPage(3, state), testing::IsSupersetOf({"group              none: the level has no texture groups",
                                                            "plane              none: the level has no planes"}));
}

TEST_F(PanelPages, TheViewPageFollowsTheCameraTheSettingsAndTheSelections) {
    state.framesPerSecond = 74.96;
    state.millisecondsPerFrame = 13.3401;
    EXPECT_THAT(panelPage(3, state),
                ElementsAre("View  (F2 hides it; i level, F1 keys)", "position           0.0 0.0 0.0",
                            "yaw                0.0 degrees", "pitch              0.0 degrees",
                            "speed factor       1", "near               10", "far                10000",
                            "point size         1", "line width         1", "fill alpha         0.1",
                            "frames per second  74.96", "frame time         13.34 ms", "group              0 of 2",
                            "  texture          7", "  vertices         4", "  indices          6",
                            "  first vertex     0", "  first index      0",
                            "  triangles drawn  1 of 2; the rest lie outside the level",
                            "plane              0 of 3", "  a b c d          1 2 3 4", "  drawn at         4.0 8.0 12.0"));
    const std::pair<std::function<void(PanelState&)>, std::string> changes[] = {
        {[](PanelState& s) { s.cameraPos = {1.26, -0.04, -1000.06}; }, "position           1.3 0.0 -1000.1"},
        {[](PanelState& s) { s.cameraYaw = -M_PI / 2; }, "yaw                -90.0 degrees"},
        {[](PanelState& s) { s.nearPlane = 10 * std::pow(1.1, 10); }, "near               25.94"},
        {[](PanelState& s) { s.nearPlane = 1e-6; }, "near               0.000001"},
        {[](PanelState& s) { s.farPlane = 1e12; }, "far                1000000000000"},
        {[](PanelState& s) { s.pointSize = -0.15; }, "point size         -0.15"},
        {[](PanelState& s) { s.fillAlpha = 0.105; }, "fill alpha         0.105"},
        {[](PanelState& s) { s.showFilled = s.showWireframe = s.showCornerPoints = false; },
         "  triangles drawn  none: the triangle passes are off"},
        {[](PanelState& s) { s.selectedGroup = 1; }, "  triangles drawn  none: its counts are not whole triangles"},
        {[](PanelState& s) { s.selectedGroup = 2; }, "group              2 of 2: past the last one"},
        {[](PanelState& s) { s.selectedPlane = 1; }, "  drawn at         0.0 300.0 0.0"},
        {[](PanelState& s) { s.selectedPlane = 4294967295; }, "plane              4294967295 of 3: past the last one"},
    };
    for (const auto& [change, line] : changes) {
        PanelState changed = state;
        change(changed);
        EXPECT_THAT(panelPage(3, changed), Contains(line));
    }
}

// With the usual font's metrics, each character 8 by 17 pixels.
TEST_F(PanelPages, EveryPageFitsWholeAt800By600) {
    state.levelPath = "/home/someone/levels/" + std::string(40, 'x') + ".d3dbsp";
    for (const std::int32_t page : {1, 2, 3}) {
        const std::vector<std::string> lines = panelPage(page, state);
        std::size_t longest = 0;
        for (const std::string& line : lines) longest = std::max(longest, line.size());
        const PanelLayout layout = layoutPanel(lines, GlyphAtlas{}.advance, GlyphAtlas{}.lineHeight, 800, 600);
        EXPECT_EQ(std::make_pair(layout.lines, layout.columns), std::make_pair(lines.size(), longest)) << page;
    }
}

// One line per binding, in the table's order; the switches' states follow them.
TEST_F(PanelPages, TheKeysPageListsEveryBindingWithTheStateOfEachSwitch) {
    const std::vector<std::string> lines = panelPage(2, state);
    ASSERT_EQ(lines.size(), keyHelp.size() + 1);
    for (std::size_t k = 0; k < keyHelp.size(); ++k) EXPECT_EQ(lines[k + 1].rfind(keyHelp[k].keys, 0), 0u);
    EXPECT_THAT(lines, Contains("b                   render mode: opaque, blend, additive  additive"));
    // keys, the state shown
    const std::tuple<std::function<void(PanelState&)>, std::string, std::string> changes[] = {
        {[](PanelState& s) { s.renderMode = 0; }, "b", "opaque"},
        {[](PanelState& s) { s.renderMode = 1; }, "b", "blend"},
        {[](PanelState& s) { s.showPlanePoints = true; }, "p", "all"},
        {[](PanelState& s) { s.singlePlane = true; }, "p", "selected"},
        {[](PanelState& s) { s.showFilled = false; }, "t", "off"},
        {[](PanelState& s) { s.showWireframe = false; }, "l", "off"},
        {[](PanelState& s) { s.showCornerPoints = false; }, "v", "off"},
        {[](PanelState& s) { s.singleGroup = true; }, "g", "on"},
        {[](PanelState& s) { s.mouseLook = false; }, "click, wheel", "off"},
    };
    for (const auto& [change, keys, shown] : changes) {
        PanelState changed = state;
        change(changed);
        const auto stateOf = [&keys = keys](const std::vector<std::string>& page) {
            for (const std::string& line : page)
                if (line.rfind(keys + "  ", 0) == 0) return line.substr(line.rfind("  ") + 2);
            return std::string();
        };
        EXPECT_NE(stateOf(lines), shown) << keys;
        EXPECT_EQ(stateOf(panelPage(2, changed)), shown) << keys;
    }
}

// README's key table is the help table, row for row.
TEST(KeyHelp, IsWhatReadmeListsUnderFlying) {
    std::ifstream readme(ORVANDEL_SOURCE_DIR "/README.md");
    std::vector<std::string> rows;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| key | what it does |") inTable = true;
        else if (inTable && line.rfind("| ", 0) == 0) rows.push_back(line);
        else if (inTable && !line.empty() && line[0] != '|') break;
    }
    std::vector<std::string> expected;
    for (const KeyHelp& help : keyHelp) expected.push_back(std::string("| ") + help.keys + " | " + help.action + " |");
    EXPECT_EQ(rows, expected);
}

TEST(PanelLayout, ShowsTheLinesThatFitInTheTopLeftCornerCutAtTheScreensEdge) {
    const std::vector<std::string> lines = {"short", std::string(120, 'x'), "", "a", "b", "c"};
    struct Case {
        int width, height;
        PanelLayout expected;
    };
    const Case cases[] = {
        {800, 600, {8, 8, 96 * 8 + 12, 6 * 17 + 12, 14, 14, 6, 96}},
        {1000, 600, {8, 8, 120 * 8 + 12, 6 * 17 + 12, 14, 14, 6, 120}},
        {100, 80, {8, 8, 9 * 8 + 12, 3 * 17 + 12, 14, 14, 3, 9}},
        {100, 50, {8, 8, 5 * 8 + 12, 17 + 12, 14, 14, 1, 5}},
        {28, 600, {}},
    };
    for (const Case& c : cases) {
        const PanelLayout got = layoutPanel(lines, 8, 17, c.width, c.height);
        EXPECT_EQ(std::make_tuple(got.x, got.y, got.width, got.height, got.textX, got.textY, got.lines, got.columns),
                  std::make_tuple(c.expected.x, c.expected.y, c.expected.width, c.expected.height, c.expected.textX,
                                  c.expected.textY, c.expected.lines, c.expected.columns))
            << c.width << " x " << c.height;
    }
}

// One triangle, in two groups, that covers the starting view.
Qor::LevelContents coveringTriangle() {
    Qor::LevelContents contents;
    contents.vertices = {{-1000, 100, -1000, 255}, {1000, 100, -1000, 255}, {0, 100, 1000, 255}};
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    contents.textureGroups = {{3, 0, 3, 0, 3}, {0, 0, 3, 0, 3}};
    return contents;
}

using Frame = std::vector<std::uint8_t>;  // RGB, rows bottom first as GL reads them

// A window of 400 × 300 showing the covering triangle, drawn opaque: the pages are cut at its edges, and the panel's
// background darkens what it covers.
class PanelFrames : public ::testing::Test {
protected:
    static constexpr int width = 400;
    static constexpr int height = 300;

    PanelFrames() {
        renderer.setLevel(&level);
        renderer.renderMode = 0;
        renderer.mouseLook = false;
    }
    ~PanelFrames() override { shutdownVideo(); }

    Frame draw() {
        clearFrame();
        renderer.drawFrame();
        Frame pixels(width * height * 3);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // Every piece of GL state that a frame could leave behind it, the bound
    // texture's own included, by name.
    static std::map<GLenum, std::vector<GLfloat>> glState() {
        std::map<GLenum, std::vector<GLfloat>> all;
        for (const auto& [name, count] : std::vector<std::pair<GLenum, int>>{
                 {GL_PROJECTION_MATRIX, 16}, {GL_MODELVIEW_MATRIX, 16}, {GL_MATRIX_MODE, 1}, {GL_CURRENT_COLOR, 4},
                 {GL_CURRENT_TEXTURE_COORDS, 4}, {GL_TEXTURE_2D, 1}, {GL_TEXTURE_BINDING_2D, 1}, {GL_BLEND, 1},
                 {GL_BLEND_SRC, 1}, {GL_BLEND_DST, 1}, {GL_DEPTH_TEST, 1}, {GL_POINT_SIZE, 1}, {GL_LINE_WIDTH, 1},
                 {GL_UNPACK_ALIGNMENT, 1}, {GL_SHADE_MODEL, 1}}) {
            all[name].resize(16);
            glGetFloatv(name, all[name].data());
            all[name].resize(static_cast<std::size_t>(count));
        }
        for (const GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
            all[name].resize(1);
            glGetTexParameterfv(GL_TEXTURE_2D, name, all[name].data());
        }
        all[GL_TEXTURE_ENV_MODE].resize(1);
        glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, all[GL_TEXTURE_ENV_MODE].data());
        return all;
    }

    PanelLayout layout() const {
        const GlyphAtlas& atlas = renderer.panel.atlas;
        return layoutPanel(panelPage(renderer.overlayPage, renderer.panelState()), atlas.advance, atlas.lineHeight,
                           width, height);
    }

    // Whether (x, y), counted from the top, lies inside the panel.
    static bool inside(const PanelLayout& l, int x, int y) {
        return x >= l.x && x < l.x + l.width && y >= l.y && y < l.y + l.height;
    }

    static std::size_t at(int x, int y) { return (static_cast<std::size_t>(height - 1 - y) * width + x) * 3; }

    bool displayHeld = testsupport::holdDisplay();
    Renderer renderer{"", {width, height}};
    Qor::BSP level{"", testsupport::writeLevel("covering.d3dbsp", coveringTriangle()).c_str()};
};

TEST_F(PanelFrames, EachPageDrawsOnlyInsideItsRectangleLeavesTheGlStateAndHidingRestoresTheFrame) {
    const Frame hidden = draw();
    const auto state = glState();
    std::vector<Frame> pages;
    for (const std::int32_t page : {1, 2, 3}) {
        SCOPED_TRACE(page);
        renderer.overlayVisible = true;
        renderer.overlayPage = page;
        pages.push_back(draw());
        EXPECT_EQ(glState(), state);
        const PanelLayout panel = layout();
        ASSERT_GT(panel.lines, 0u);
        std::size_t changedInside = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool changed = !std::equal(hidden.begin() + at(x, y), hidden.begin() + at(x, y) + 3,
                                                 pages.back().begin() + at(x, y));
                if (inside(panel, x, y)) changedInside += changed;
                else ASSERT_FALSE(changed) << x << ", " << y;
            }
        EXPECT_EQ(changedInside, static_cast<std::size_t>(panel.width * panel.height));
    }
    EXPECT_TRUE(pages[0] != pages[1] && pages[1] != pages[2] && pages[0] != pages[2]);
    renderer.overlayVisible = false;
    EXPECT_EQ(draw(), hidden);
    EXPECT_EQ(glState(), state);
}

// Each character's cell of the atlas, white at the texel's alpha, is laid
// over the frame with the background alone, in the order the text runs.
TEST_F(PanelFrames, TheTextIsTheAtlasCellsOfTheLinesCharactersOverTheBackground) {
    renderer.overlayVisible = true;
    renderer.overlayPage = 2;
    const Frame text = draw();
    const GlyphAtlas atlas = renderer.panel.atlas;
    ASSERT_NE(atlas.texture, 0u) << "no font";
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(atlas.textureWidth * atlas.textureHeight) * 4);
    glBindTexture(GL_TEXTURE_2D, atlas.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, renderer.textures.at("text_background"));
    renderer.panel.atlas.texture = 0;
    const Frame background = draw();
    renderer.panel.atlas.texture = atlas.texture;

    std::vector<double> expected(background.begin(), background.end());
    const PanelLayout panel = layout();
    const std::vector<std::string> lines = panelPage(2, renderer.panelState());
    for (std::size_t line = 0; line < panel.lines; ++line)
        for (std::size_t column = 0; column < std::min(lines[line].size(), panel.columns); ++column) {
            const int cell = glyphCell(lines[line][column]);
            if (cell < 0) continue;
            const int left = panel.textX + static_cast<int>(column) * atlas.advance + atlas.cellLeft;
            const int top = panel.textY + static_cast<int>(line) * atlas.lineHeight + atlas.cellTop;
            for (int y = 0; y < atlas.cellHeight; ++y)
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

TEST_F(PanelFrames, StepsOfTheCameraAndTheSelectionChangeTheViewPage) {
    renderer.overlayVisible = true;
    renderer.overlayPage = 3;
    const Frame before = draw();
    for (const SDLKey key : {SDLK_g, SDLK_RIGHT}) {
        SDL_Event press{SDL_KEYDOWN};
        press.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&press), 0);
    }
    renderer.handleInput();
    renderer.cameraPos = {0, 12.5, 0};
    EXPECT_THAT(panelPage(3, renderer.panelState()),
                testing::IsSupersetOf({"position           0.0 12.5 0.0", "group              1 of 2"}));
    EXPECT_NE(draw(), before);
}

// fontconfig reads its configuration afresh for the atlas, made the first
// time the panel shows.
TEST_F(PanelFrames, WithoutAFontWarnsOnceAndDrawsTheBackgroundAlone) {
    const std::string config = testsupport::writeTemp("no-fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig/>\n");
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
    const Frame hidden = draw();
    testing::internal::CaptureStderr();
    Frame shown;
    for (const bool visible : {true, false, true}) {
        renderer.overlayVisible = visible;
        renderer.overlayPage = 1;
        shown = draw();
    }
    const std::string err = testing::internal::GetCapturedStderr();
    unsetenv("FONTCONFIG_FILE");
    EXPECT_EQ(err, "WARNING: The panel shows no text: fontconfig found no font for 'monospace'.\n");
    // Darker inside the panel, the same outside.
    const PanelLayout panel = layout();
    ASSERT_GT(panel.lines, 0u);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (std::size_t k = 0; k < 3; ++k) {
                const int before = hidden[at(x, y) + k];
                const int after = shown[at(x, y) + k];
                if (inside(panel, x, y)) ASSERT_TRUE(before == 0 ? after == 0 : after < before) << x << ", " << y;
                else ASSERT_EQ(after, before) << x << ", " << y;
            }
}

// The viewer started with a page shown draws it from the first frame; a page
// it does not have is a usage error.
TEST(PanelOption, ShowsThePageFromTheStartAndRefusesOtherPages) {
    const std::string level = testsupport::writeLevel("option.d3dbsp", coveringTriangle());
    auto shot = [&](const std::vector<std::string>& options) {
        const std::string png = testsupport::tempPath("option.png");
        std::vector<std::string> argv = {testsupport::viewerBinary(), "--frames", "1", "--screenshot", png, level};
        argv.insert(argv.end(), options.begin(), options.end());
        EXPECT_EQ(testsupport::runProcess(argv).exitStatus, 0);
        std::ifstream in(png, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_NE(shot({"--panel", "1"}), shot({}));
    for (const char* page : {"0", "4", "x"}) {
        const auto run = testsupport::runProcess({testsupport::viewerBinary(), "--panel", page, level});
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.err, std::string("orvandel: --panel: expected 1, 2 or 3, not '") + page + "'\n");
    }
}

}  // namespace
