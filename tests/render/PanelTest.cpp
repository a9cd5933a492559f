#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "KeyHelp.h"
#include "MaterialColours.h"
#include "PanelText.h"
#include "TestSupport.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsSupersetOf;
using ::testing::Not;

// Two groups, the second not whole triangles, the first's material named in
// UTF-8; a NaN vertex outside the bounds; a corner past the vertices.
class PanelPages : public ::testing::Test {
protected:
    PanelPages() {
        state.level = &level;
        state.levelPath = "levels/panel.d3dbsp";
        state.levelLoadMilliseconds = 12.3456;
        state.bounds = Qor::levelBounds(level);
    }

    const Qor::LevelContents contents{
        {{1, 2, 3, 4}, {0, -1, 0, -300}, {0.70710677f, NAN, -0.0f, 1}, {1e30f, 0, 0, 1e30f}},
        {{1, 0, 4, 0, 6}, {2, 1, 2, 3, 4}},
        {{-1.25f, 2, -3, 255}, {4, 5.06f, 6, 255}, {0, 0, 0, 255}, {NAN, 0, 0, 255}},
        {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 1, 9}}},
        {{"caulk"}, {"tiles/caf\xc3\xa9"}},
        {Qor::Entity{{{"classname", "worldspawn"}}}}};
    Qor::BSP level{"", testsupport::writeLevel("panel.d3dbsp", contents).c_str()};
    PanelState state;
};

TEST_F(PanelPages, TheLevelPageGivesTheFileItsCountsBoundsAndLoadTimeOrNoneWhenTheLoadFailed) {
    EXPECT_THAT(panelPage(1, state),
                ElementsAre("Level  (i hides it; F1 keys, F2 view)", "file            panel.d3dbsp",
                            "path            levels/panel.d3dbsp",
                            "size            " + std::to_string(level.buffer.size) + " bytes", "version         4",
                            "lumps read      39", "planes          4", "texture groups  2", "vertices        4",
                            "triangles       2", "materials       2", "entities        1",
                            "bounds          -1.2 0.0 -3.0 to 4.0 5.1 6.0", "load time       12.35 ms"));
    const std::string missingPath = testsupport::tempPath("missing.d3dbsp");
    const Qor::BSP missing("", missingPath.c_str());
    state.level = &missing;
    state.bounds = Qor::levelBounds(missing);
    const std::vector<std::string> failed = {"size            none", "version         none", "bounds          none",
                                             "reader said     ERROR: Could not open input bsp file '" + missingPath +
                                                 "'."};
    EXPECT_THAT(panelPage(1, state), IsSupersetOf(failed));
    state.level = &level;
    state.failedReload = {"ERROR: The bsp's file version is unsupported."};
    EXPECT_THAT(panelPage(1, state), Contains("reload failed   ERROR: The bsp's file version is unsupported."));
    state.level = &missing;
    EXPECT_THAT(panelPage(3, state), IsSupersetOf({"group              none: the level has no texture groups",
                                                   "plane              none: the level has no planes"}));
}

// Only where images are looked for: how many were found, and the pointed
// surface's image.
TEST_F(PanelPages, TheLevelAndViewPagesTellOfTheImagesWhereTheyAreLookedFor) {
    EXPECT_THAT(panelPage(1, state), Not(Contains(::testing::StartsWith("textures"))));
    const std::vector<MaterialImage> looking;
    state.images = &looking;
    EXPECT_THAT(panelPage(1, state), Contains("textures        looking"));
    const std::vector<MaterialImage> images = {{false, "", ""}, {true, "/games/base.pk3", "textures/tiles/caf\xc3\xa9.tga"}};
    state.images = &images;
    EXPECT_THAT(panelPage(1, state), Contains("textures        1 of 2 found"));
    state.pointing.kind = Hit::Kind::surface;
    state.pointing.group = 0;  // texture 1
    EXPECT_THAT(panelPage(3, state),
                Contains("  image            'textures/tiles/caf??.tga' in '/games/base.pk3'"));
    state.pointing.group = 1;  // texture 2, no material
    EXPECT_THAT(panelPage(3, state), Contains("  image            missing"));
    state.pointing.kind = Hit::Kind::nothing;
    EXPECT_THAT(panelPage(3, state), Not(Contains(::testing::StartsWith("  image"))));
}

std::string shadedColourRow(const Qor::Rgb& rgb) {
    return "  shaded colour    " + std::to_string(rgb[0]) + ' ' + std::to_string(rgb[1]) + ' ' + std::to_string(rgb[2]);
}

// The keys page has one line per binding, in the table's order; the view
// page gives the selected group's colour in the shaded look.
TEST_F(PanelPages, TheViewAndKeysPagesFollowTheCameraTheSettingsTheSelectionsAndTheSwitches) {
    state.framesPerSecond = 74.96;
    state.millisecondsPerFrame = 13.3401;
    EXPECT_THAT(panelPage(3, state),
                ElementsAre("View  (F2 hides it; i level, F1 keys)", "position           0.0 0.0 0.0",
                            "yaw                0.0 degrees", "pitch              0.0 degrees",
                            "speed factor       1", "fly speed          1",
                            "near               10", "far                10000", "point size         1",
                            "line width         1", "fill alpha         0.1", "frames per second  74.96",
                            "frame time         13.34 ms", "pointing at        nothing", "group              0 of 2",
                            "  texture          1",
                            "  material         tiles/caf??", shadedColourRow(Qor::materialColour("tiles/caf\xc3\xa9")),
                            "  vertices         4", "  indices          6", "  first vertex     0",
                            "  first index      0",
                            "  triangles drawn  1 of 2; the rest lie outside the level", "plane              0 of 4",
                            "  a b c d          1 2 3 4", "  point            4.0 8.0 12.0"));
    const std::vector<std::string> keys = panelPage(2, state);
    ASSERT_EQ(keys.size(), keyHelp.size() + 1);
    for (std::size_t k = 0; k < keyHelp.size(); ++k) EXPECT_EQ(keys[k + 1].rfind(keyHelp[k].keys, 0), 0u);
    const std::tuple<std::int32_t, std::function<void(PanelState&)>, std::string> changes[] = {
        {3, [](PanelState& s) { s.view.cameraPos = {1.26, -0.04, -1000.06}; }, "position           1.3 0.0 -1000.1"},
        {3, [](PanelState& s) { s.view.cameraYaw = -M_PI / 2; }, "yaw                -90.0 degrees"},
        {3, [](PanelState& s) { s.view.nearPlane = 10 * std::pow(1.1, 10); }, "near               25.94"},
        {3, [](PanelState& s) { s.view.farPlane = 1e12; }, "far                1000000000000"},
        {3, [](PanelState& s) { s.view.flySpeed = 1.0 / 16; }, "fly speed          0.0625"},
        {3, [](PanelState& s) { s.view.showFilled = s.view.showWireframe = s.view.showCornerPoints = false; },
         "  triangles drawn  none: the triangle passes are off"},
        {3, [](PanelState& s) { s.view.selectedGroup = 1; },
         "  triangles drawn  none: its counts are not whole triangles"},
        {3, [](PanelState& s) { s.view.selectedGroup = 1; }, shadedColourRow(Qor::unnamedTextureColour(2))},
        {3, [](PanelState& s) { s.view.selectedGroup = 2; }, "group              2 of 2: past the last one"},
        {3, [](PanelState& s) { s.view.selectedPlane = 1; }, "  a b c d          0 -1 0 -300"},
        {3, [](PanelState& s) { s.view.selectedPlane = 1; }, "  point            0.0 300.0 0.0"},
        {3, [](PanelState& s) { s.view.selectedPlane = 2; }, "  a b c d          0.70710677 nan -0 1"},
        {3, [](PanelState& s) { s.view.selectedPlane = 2; }, "  point            not drawn: a b c d are not all finite"},
        {3, [](PanelState& s) { s.view.selectedPlane = 3; }, "  point            not drawn: it lies too far away for a float"},
        {2, [](PanelState& s) { s.view.renderMode = RenderMode::opaque; }, "b               render mode        opaque"},
        {2, [](PanelState& s) { s.view.singlePlane = true; }, "p               plane points       selected"},
        {2, [](PanelState& s) { s.view.look = Look::baked; }, "c               look               baked"},
        {2, [](PanelState& s) { s.view.mouseLook = false; }, "click, wheel    mouse look         off"},
        {2, [](PanelState& s) { s.view.cull = true; }, "f               one-sided drawing  on"},
    };
    for (const auto& [page, change, line] : changes) {
        PanelState changed = state;
        change(changed);
        EXPECT_THAT(panelPage(page, state), Not(Contains(line)));
        EXPECT_THAT(panelPage(page, changed), Contains(line));
    }
}

TEST(KeyHelp, IsTheKeyTableOfReadme) {
    std::ifstream readme(ORVANDEL_SOURCE_DIR "/README.md");
    std::vector<std::string> rows;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| key | what it does |") inTable = true;
        else if (inTable && line.rfind('|', 0) != 0) break;
        else if (inTable && line.rfind("| ", 0) == 0) rows.push_back(line);
    }
    std::vector<std::string> expected;
    for (const KeyHelp& help : keyHelp)
        expected.push_back(std::string("| ") + help.keys + " | " + help.action + " |");
    EXPECT_EQ(rows, expected);
}

// Page 1 counts what is hidden, only while something is; page 3 says why the
// selected group draws nothing and measures from the mark to the point
// pointed at, with one decimal.
TEST_F(PanelPages, HiddenMaterialsAndTheMarkShowOnTheLevelAndViewPagesOnlyWhileThereAreAny) {
    const std::vector<std::string> plain = panelPage(1, state);
    EXPECT_THAT(plain, Not(Contains(testing::StartsWith("hidden"))));
    state.view.hidden.hide(1);
    std::vector<std::string> withHidden = plain;
    withHidden.insert(withHidden.begin() + 14, "hidden          1 materials, 1 triangles");
    EXPECT_EQ(panelPage(1, state), withHidden);
    EXPECT_THAT(panelPage(3, state), Contains("  triangles drawn  none: its material is hidden"));
    state.view.hidden.isolateOnly(1);
    EXPECT_THAT(panelPage(1, state), Contains("hidden          2 materials, 0 triangles"));
    EXPECT_THAT(panelPage(3, state), Contains("  triangles drawn  1 of 2; the rest lie outside the level"));

    EXPECT_THAT(panelPage(3, state), Not(Contains(testing::StartsWith("from mark"))));
    state.view.mark = std::array<double, 3>{10, -20, 30};
    state.pointing.kind = Hit::Kind::surface;
    state.pointing.point = {-2, -17, 34};
    const std::vector<std::string> page = panelPage(3, state);
    const auto pointingRow = std::find_if(page.begin(), page.end(), [](const std::string& line) {
        return line.rfind("pointing at", 0) == 0;
    });
    ASSERT_NE(pointingRow, page.end());
    EXPECT_EQ(*(pointingRow + 1), "from mark          13.0 units (-12.0 3.0 4.0)");
    state.view.mark = std::array<double, 3>{0.04, 0, 0};
    state.pointing.point = {0, 0, 0.05};
    EXPECT_THAT(panelPage(3, state), Contains("from mark          0.1 units (0.0 0.0 0.1)"));
    state.pointing.kind = Hit::Kind::nothing;
    EXPECT_THAT(panelPage(3, state), Contains("from mark          nothing pointed at"));
}

// With the usual font's 8 by 17 pixels a character, every page fits whole.
TEST_F(PanelPages, EveryPageFitsAt800By600) {
    for (const std::int32_t page : {1, 2, 3}) {
        const std::vector<std::string> lines = panelPage(page, state);
        std::size_t longest = 0;
        for (const std::string& line : lines) longest = std::max(longest, line.size());
        const PanelLayout layout = layoutPanel(lines, 8, 17, 800, 600);
        EXPECT_EQ(std::make_tuple(layout.x, layout.y, layout.lines, layout.columns),
                  std::make_tuple(8, 8, lines.size(), longest)) << page;
    }
}

}  // namespace
