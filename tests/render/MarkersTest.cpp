#include <GL/gl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "EntityLabels.h"
#include "PanelText.h"
#include "Renderer.h"
#include "TestSupport.h"

// Entities in the view: markers, labels, the entity page, and what page 3
// points at, in real windows read back before the swap. The camera starts at
// the origin looking along +y, z up; the window is 201 pixels square, so
// that its centre is the middle of pixel 100, 100.

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using Pixel = std::array<std::uint8_t, 3>;
constexpr int side = 201;
const double tangent = std::tan(22.5 * M_PI / 180.0);
const Pixel black{0, 0, 0};
const Pixel green{0, 255, 0};
const Pixel yellow{255, 255, 0};
const Pixel orange{255, 128, 0};

// The column (or row, from the top) where a point at this offset across (or
// up) for each unit ahead shows.
double pixelAt(double slope) { return (slope / tangent + 1.0) / 2.0 * side; }
double rowAt(double slope) { return (1.0 - slope / tangent) / 2.0 * side; }

Qor::Entity entity(const std::string& classname, const std::string& origin, std::vector<std::pair<std::string, std::string>> more = {}) {
    Qor::Entity e{{{"classname", classname}, {"origin", origin}}};
    e.pairs.insert(e.pairs.end(), more.begin(), more.end());
    return e;
}

// A red triangle across the whole view at this distance ahead.
void addWall(Qor::LevelContents& level, float distance) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    level.vertices.insert(level.vertices.end(), {{-4 * distance, distance, -4 * distance, 255},
                                                 {4 * distance, distance, -4 * distance, 255},
                                                 {0, distance, 4 * distance, 255}});
    level.textureGroups.push_back({0, first, 3, static_cast<std::uint32_t>(3 * level.triangles.size()), 3});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
}

class Markers : public ::testing::Test {
protected:
    ~Markers() override { shutdownVideo(); }

    void show(const Qor::LevelContents& contents) {
        level = std::make_unique<Qor::BSP>("", testsupport::writeLevel("markers.d3dbsp", contents).c_str());
        renderer.setLevel(level.get());
    }

    // Pixels as 8-bit RGB, rows top first.
    std::vector<Pixel> draw() {
        clearFrame();
        renderer.drawFrame();
        std::vector<Pixel> bottomFirst(side * side);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows of an odd width
        glReadPixels(0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
        std::vector<Pixel> pixels;
        for (int row = side - 1; row >= 0; --row)
            pixels.insert(pixels.end(), bottomFirst.begin() + row * side, bottomFirst.begin() + (row + 1) * side);
        return pixels;
    }

    // Columns and rows (from the top) of the pixels of exactly this colour:
    // left, top, right, bottom, or all -1 when there are none.
    static std::array<int, 4> extent(const std::vector<Pixel>& pixels, const Pixel& colour) {
        std::array<int, 4> box{side, side, -1, -1};
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (pixels[static_cast<std::size_t>(y * side + x)] == colour)
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
        return box[2] < 0 ? std::array<int, 4>{-1, -1, -1, -1} : box;
    }

    bool displayHeld = testsupport::holdDisplay();
    Renderer renderer{"", {side, side}};
    std::unique_ptr<Qor::BSP> level;
};

// Cubes 16 units a side at 200 ahead: the near face spans 192 ahead, the far
// one 208. The spawn point faces +x (angle 0): its line runs 32 units right.
TEST_F(Markers, AreCubesInTheColourOfTheirKindWithASpawnPointsFacing) {
    Qor::LevelContents contents;
    contents.entities = {entity("info_player_start", "-60 200 0", {{"angle", "0"}}), entity("light", "0 200 30"),
                         entity("func_door", "60 200 -30"), Qor::Entity{{{"classname", "worldspawn"}}}};
    show(contents);
    renderer.renderMode = 0;
    EXPECT_EQ(draw(), std::vector<Pixel>(side * side, black)) << "markers are off at first";
    renderer.showMarkers = true;
    // Without the labels' text, every lit pixel is a marker's.
    renderer.panel.atlasMade = true;
    const std::vector<Pixel> pixels = draw();
    for (const Pixel& p : pixels) ASSERT_TRUE(p == black || p == green || p == yellow || p == orange);
    // Left and right edges: the far face's on the side toward the view's
    // centre, the near face's on the other; top and bottom likewise.
    const auto expected = [](double x, double z, double reach) {
        const auto near = [](double v) { return v / 192.0; };
        const auto far = [](double v) { return v / 208.0; };
        const double left = x - 8 < 0 ? near(x - 8) : far(x - 8);
        const double right = std::max(near(x + 8 + reach), far(x + 8 + reach));
        const double top = z + 8 > 0 ? near(z + 8) : far(z + 8);
        const double bottom = z - 8 < 0 ? near(z - 8) : far(z - 8);
        return std::array<double, 4>{pixelAt(left), rowAt(top), pixelAt(right), rowAt(bottom)};
    };
    const std::tuple<Pixel, std::array<double, 4>> cases[] = {
        {green, {pixelAt(-68.0 / 192), rowAt(8.0 / 192), pixelAt(-28.0 / 200), rowAt(-8.0 / 192)}},
        {yellow, expected(0, 30, 0)},
        {orange, expected(60, -30, 0)},
    };
    for (const auto& [colour, box] : cases) {
        const std::array<int, 4> lit = extent(pixels, colour);
        SCOPED_TRACE(testing::Message() << "colour " << int(colour[0]) << ' ' << int(colour[1]));
        for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(lit[k], box[k], 2.0) << "side " << k;
    }
    // The facing line runs level through the spawn point's origin.
    const int row = static_cast<int>(rowAt(0));
    const int beyond = static_cast<int>(pixelAt(-40.0 / 200));
    EXPECT_EQ(pixels[static_cast<std::size_t>(row * side + beyond)], green);
    EXPECT_NE(pixels[static_cast<std::size_t>((row - 3) * side + beyond)], green);
}

// Behind a wall, markers show in the additive and blending modes and are
// hidden in the opaque mode and looks, which leave depths to test against;
// a marker in front of the wall shows in all of them.
TEST_F(Markers, AreHiddenBehindAWallOnlyWhereTheFrameHasDepths) {
    Qor::LevelContents contents;
    contents.entities = {entity("light", "0 200 0"), entity("func_door", "0 50 0")};
    addWall(contents, 100);
    show(contents);
    renderer.showMarkers = true;
    for (const auto& [mode, look, shows] : {std::make_tuple(0u, Look::classic, false),
                                            std::make_tuple(1u, Look::classic, true),
                                            std::make_tuple(2u, Look::classic, true),
                                            std::make_tuple(2u, Look::shaded, false),
                                            std::make_tuple(1u, Look::normals, false)}) {
        renderer.renderMode = mode;
        renderer.look = look;
        const std::vector<Pixel> pixels = draw();
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << lookName(look));
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), yellow) > 100, shows);
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), orange), 100) << "in front of the wall";
    }
}

// With the markers off, and an entity selected off the entity page, the
// frame is the one of the level without entities.
TEST_F(Markers, OffLeaveTheFrameAsWithoutEntities) {
    Qor::LevelContents contents;
    addWall(contents, 300);
    show(contents);
    const std::vector<Pixel> plain = draw();
    contents.entities = {entity("light", "0 200 0"), entity("info_player_start", "10 100 0")};
    show(contents);
    renderer.selectedEntity = 0;
    EXPECT_EQ(draw(), plain);
}

// The nearest 64 markers ahead, within 2048 units and inside the window, get
// their label, nearest first.
TEST(EntityLabels, GoToTheNearest64MarkersAheadWithinReachAndInsideTheWindow) {
    Qor::LevelContents contents;
    for (int k = 0; k < 100; ++k)
        contents.entities.push_back(entity("light", std::to_string(k % 10 * 20 - 90) + ' ' + std::to_string(2000 - 10 * k) + " 0"));
    contents.entities.push_back(entity("item", "0 -50 0"));                                // behind
    contents.entities.push_back(entity("item", "0 2049 0"));                               // too far
    contents.entities.push_back(entity("item", "2000 100 0"));                              // outside the window
    contents.entities.push_back(entity("info_player_start", "0 5 0", {{"targetname", "a\x01"}}));  // nearest
    const Qor::BSP level("", testsupport::writeLevel("labels.d3dbsp", contents).c_str());
    const ViewBasis view = viewBasis({0, 0, 0}, 0, 0, 800, 600);
    const std::vector<Label> labels = chooseLabels(level, Qor::entityMarkers(level), view);
    ASSERT_EQ(labels.size(), 64u);
    EXPECT_EQ(labels[0].entity, 103u);
    EXPECT_EQ(labels[0].text, "info_player_start (a?)");
    EXPECT_NEAR(labels[0].at.x, 400.0, 1e-9);
    EXPECT_NEAR(labels[0].at.y, 300.0, 1e-9);
    for (std::size_t k = 1; k < labels.size(); ++k) {
        EXPECT_LE(labels[k - 1].distance, labels[k].distance);
        EXPECT_EQ(labels[k].text, "light");
        EXPECT_GE(labels[k].entity, 37u) << "the 63 nearest lights";
    }
}

// Text beside each marker in its colour: orange with the green half its red,
// where the label runs right of the cube; nothing there without the font or
// with the markers off.
TEST_F(Markers, AreLabelledBesideTheCubeInTheirColour) {
    Qor::LevelContents contents;
    contents.entities = {entity("func_door", "-40 200 -40", {{"targetname", "gate"}})};
    show(contents);
    renderer.renderMode = 0;
    renderer.showMarkers = true;
    const auto labelPixels = [&](const std::vector<Pixel>& pixels) {
        const int cubeRight = static_cast<int>(pixelAt(-32.0 / 192)) + 2;
        const int row = static_cast<int>(rowAt(-40.0 / 200));
        std::size_t inked = 0;
        for (int y = row - 8; y <= row + 8; ++y)
            for (int x = cubeRight; x < side; ++x) {
                const Pixel& p = pixels[static_cast<std::size_t>(y * side + x)];
                if (p == black) continue;
                EXPECT_TRUE(p[2] == 0 && std::abs(p[1] - p[0] / 2) <= 1) << x << ", " << y;
                ++inked;
            }
        return inked;
    };
    EXPECT_GT(labelPixels(draw()), 40u);
    ASSERT_TRUE(renderer.panel.atlasMade);
    renderer.showMarkers = false;
    EXPECT_EQ(labelPixels(draw()), 0u);
}

// On the entity page the selected entity's marker is drawn, 3 pixels wide,
// whether the markers are on or off; off the page, 1 pixel.
TEST_F(Markers, TheSelectedOneIsDrawnThickOnTheEntityPage) {
    Qor::LevelContents contents;
    contents.entities = {entity("light", "40 200 -40"), entity("func_door", "-40 200 -40")};
    show(contents);
    renderer.renderMode = 0;
    renderer.selectedEntity = 0;
    const int column = static_cast<int>(pixelAt(40.0 / 200));  // through the cube's top and bottom edges
    const auto thickness = [&](const std::vector<Pixel>& pixels) {
        int lit = 0;
        for (int y = side / 2; y < side; ++y) lit += pixels[static_cast<std::size_t>(y * side + column)] == yellow;
        return lit;
    };
    const std::tuple<bool, bool, int, bool> cases[] = {
        // markers, page 4, lit pixels down the column (the near and far faces'
        // top and bottom edges), door shown
        {false, false, 0, false}, {true, false, 4, true}, {false, true, 12, false}, {true, true, 12, true}};
    for (const auto& [markersOn, page, lit, door] : cases) {
        renderer.showMarkers = markersOn;
        renderer.overlayVisible = page;
        renderer.overlayPage = 4;
        const std::vector<Pixel> pixels = draw();
        EXPECT_NEAR(thickness(pixels), lit, page ? 2 : 0) << markersOn << page;
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), orange) > 0, door) << markersOn << page;
    }
}

// Page 3 points at the pixel at the window's centre while mouse look is on,
// else at the pointer's: a crosshair marks it, and the triangle under it is
// outlined in white over its own fill. A window taller than the panel, whose
// centre is the middle of pixel 300, 450; the triangle's bottom edge, 20
// below the view at 100 ahead, shows at row (1 + 0.2 / tan 22.5°) / 2 × 901.
TEST(PointingMarks, ACrosshairAndTheTrianglePointedAtOutlinedInWhite) {
    ASSERT_TRUE(testsupport::holdDisplay());
    constexpr int width = 601;
    constexpr int height = 901;
    Renderer renderer("", {width, height});
    Qor::LevelContents contents;
    contents.vertices = {{-20, 100, -20, 255}, {30, 100, -20, 255}, {30, 100, 45, 255}};
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    contents.textureGroups = {{0, 0, 3, 0, 3}};
    Qor::BSP level("", testsupport::writeLevel("pointed.d3dbsp", contents).c_str());
    renderer.setLevel(&level);
    renderer.renderMode = 0;
    // Rows bottom first.
    const auto draw = [&] {
        clearFrame();
        renderer.drawFrame();
        std::vector<Pixel> bottomFirst(width * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
        return bottomFirst;
    };
    const auto white = [&](const std::vector<Pixel>& p, int x, int y) {
        return p[static_cast<std::size_t>((height - 1 - y) * width + x)] == Pixel{255, 255, 255};
    };
    const auto outlined = [&](const std::vector<Pixel>& p) {
        const int row = static_cast<int>((1 + 0.2 / tangent) / 2 * height);
        int lit = 0;
        for (int y = row - 2; y <= row + 2; ++y)
            for (int x = 150; x < width; ++x) lit += white(p, x, y);
        return lit;
    };
    const int cx = width / 2;
    const int cy = height / 2;
    const std::vector<Pixel> before = draw();
    renderer.overlayVisible = true;
    renderer.overlayPage = 3;
    const std::vector<Pixel> pointed = draw();
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::surface);
    EXPECT_EQ(outlined(before), 0);
    EXPECT_GT(outlined(pointed), 300);
    for (const auto& [x, y, mark] : {std::make_tuple(cx + 5, cy, true), std::make_tuple(cx, cy - 5, true),
                                     std::make_tuple(cx, cy, false), std::make_tuple(cx + 9, cy, false)}) {
        EXPECT_FALSE(white(before, x, y));
        EXPECT_EQ(white(pointed, x, y), mark) << x - cx << ", " << y - cy;
    }
    // The pointer's pixel while mouse look is off.
    renderer.mouseLook = false;
    renderer.pointer = {0, 0};
    draw();
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::nothing);
    renderer.pointer = {cx, cy + 10};
    const std::vector<Pixel> moved = draw();
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::surface);
    EXPECT_TRUE(white(moved, cx + 5, cy + 10));
    shutdownVideo();
}

// The entity page: before any selection the counts; then the selected one's
// number of the count, its distance and its pairs, printable.
TEST(EntityPage, ShowsTheCountsOrTheSelectedEntitysPairsAndDistance) {
    Qor::LevelContents contents;
    contents.entities = {Qor::Entity{{{"classname", "worldspawn"}, {"message", "caf\xc3\xa9"}}},
                         entity("light", "30 40 0", {{"light", "300"}}), entity("item", "1 2")};
    const Qor::BSP level("", testsupport::writeLevel("page.d3dbsp", contents).c_str());
    PanelState state;
    state.level = &level;
    const std::string title = "Entity  (F3 hides it; j, k next, previous)";
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entities        3", "with an origin  1"));
    state.selectedEntity = 1;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entity     2 of 3", "distance   50.0 units",
                                                 "classname  light", "origin     30 40 0", "light      300"));
    state.selectedEntity = 0;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entity     1 of 3", "distance   none: it has no origin",
                                                 "classname  worldspawn", "message    caf??"));
    state.selectedEntity = 3;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entities        3", "with an origin  1"))
        << "a selection a reload took away";
}

// The pointing row names what a hit is, in the panel's decimals.
TEST(PointingRow, SaysWhatIsPointedAt) {
    Qor::LevelContents contents;
    contents.textureGroups = {{0, 0, 0, 0, 0}, {5, 0, 0, 0, 0}};
    contents.materials = {{"metal/\x01plate"}};
    contents.entities = {Qor::Entity{}, Qor::Entity{{{"classname", "light"}}}};
    const Qor::BSP level("", testsupport::writeLevel("row.d3dbsp", contents).c_str());
    PanelState state;
    state.level = &level;
    state.pointing.triangle = 12;
    state.pointing.point = {1.25, -0.04, 1000.06};
    state.pointing.distance = 3.14159;
    const std::tuple<Hit::Kind, std::uint32_t, std::size_t, std::string> cases[] = {
        {Hit::Kind::surface, 0, 0, "group 0, triangle 12, material 'metal/?plate', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::surface, 1, 0, "group 1, triangle 12, material '', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::entity, 0, 1, "entity 2 'light', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::entity, 0, 0, "entity 1 '', at 1.2 0.0 1000.1, 3.1 units"},
    };
    for (const auto& [kind, group, entity, row] : cases) {
        state.pointing.kind = kind;
        state.pointing.group = group;
        state.pointing.entity = entity;
        EXPECT_THAT(panelPage(3, state), Contains("pointing at        " + row));
    }
}

}  // namespace
