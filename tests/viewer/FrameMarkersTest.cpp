#include <algorithm>

#include "PanelText.h"
#include "TestEntities.h"
#include "WindowEvents.h"

// Entities in the view: markers and labels, and what page 3 points at, in
// real windows read back before the swap. The camera starts at the origin
// looking along +y, z up; the window is 201 pixels square, so that its
// centre is the middle of pixel 100, 100.

namespace {

using testsupport::entity;

using Pixel = RgbPixel;
constexpr int side = 201;
const double tangent = std::tan(22.5 * M_PI / 180.0);
const Pixel black{0, 0, 0};
const Pixel green{0, 255, 0};
const Pixel yellow{255, 255, 0};
const Pixel orange{255, 128, 0};

// The column, or the row counted from the bottom, where a point at this
// offset across, or up, for each unit ahead shows.
double shownAt(double slope) { return (slope / tangent + 1.0) / 2.0 * side; }

class Markers : public ViewerWindow {
protected:
    Markers() : ViewerWindow({side, side}) {}
};

// Cubes 16 units a side at 200 ahead: the near face spans 192 ahead, the far
// one 208; each side of a cube's outline is the far face's on the side
// toward the view's centre, the near face's on the other. The spawn point
// faces +x (angle 0): its line runs 32 units right.
//
// On the entity page the selected entity's marker is drawn 3 pixels wide,
// whether the markers are on or off; off the page, 1 pixel or not at all.
TEST_F(Markers, AreCubesInTheColourOfTheirKindAndTheSelectedOneThickOnTheEntityPage) {
    Qor::LevelContents contents;
    contents.entities = {entity("info_player_start", "-60 200 0", {{"angle", "0"}}), entity("light", "0 200 30"),
                         entity("func_door", "60 200 -30"), Qor::Entity{{{"classname", "worldspawn"}}}};
    show(contents);
    renderer.view.renderMode = RenderMode::opaque;
    renderer.view.selectedEntity = 2;
    EXPECT_EQ(picture(), std::vector<Pixel>(side * side, black)) << "markers are off at first";
    renderer.view.showMarkers = true;
    // Without the labels' text, every lit pixel is a marker's.
    renderer.frame.panel.atlasMade = true;
    const std::vector<Pixel> pixels = picture();
    for (const Pixel& p : pixels) ASSERT_TRUE(p == black || p == green || p == yellow || p == orange);
    const std::tuple<Pixel, std::array<double, 4>> cases[] = {
        {green, {shownAt(-68.0 / 192), shownAt(-8.0 / 192), shownAt(-28.0 / 200), shownAt(8.0 / 192)}},
        {yellow, {shownAt(-8.0 / 192), shownAt(22.0 / 208), shownAt(8.0 / 192), shownAt(38.0 / 192)}},
        {orange, {shownAt(52.0 / 208), shownAt(-38.0 / 192), shownAt(68.0 / 192), shownAt(-22.0 / 208)}},
    };
    for (const auto& [colour, box] : cases) {
        const std::array<int, 4> lit = extent(pixels, colour);
        SCOPED_TRACE(testing::Message() << "colour " << int(colour[0]) << ' ' << int(colour[1]));
        for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(lit[k], box[k], 2.0) << "side " << k;
    }
    // The facing line runs level through the spawn point's origin.
    const auto row = static_cast<std::size_t>(shownAt(0));
    const auto beyond = static_cast<std::size_t>(shownAt(-40.0 / 200));
    EXPECT_EQ(pixels[row * side + beyond], green);
    EXPECT_NE(pixels[(row + 3) * side + beyond], green);

    // Down the column through the door's middle: the near and far faces' top
    // and bottom edges.
    const auto column = static_cast<std::size_t>(shownAt(60.0 / 200));
    const std::tuple<bool, bool, int> selections[] = {{true, false, 4}, {false, true, 12}, {true, true, 12}};
    for (const auto& [markersOn, page, lit] : selections) {
        renderer.view.showMarkers = markersOn;
        renderer.view.overlayVisible = page;
        renderer.view.overlayPage = 4;
        const std::vector<Pixel> shown = picture();
        int thickness = 0;
        for (std::size_t y = 0; y < side / 2; ++y) thickness += shown[y * side + column] == orange;
        EXPECT_NEAR(thickness, lit, page ? 2 : 0) << markersOn << page;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), green) > 0, markersOn) << markersOn << page;
    }
    renderer.view.showMarkers = false;
    renderer.view.selectedEntity = 9;  // a selection a reload took away
    EXPECT_EQ(picture(), std::vector<Pixel>(side * side, black));
}

// Behind a wall, markers show in the additive and blending modes and are
// hidden in the opaque mode and looks, which leave depths to test against;
// a marker in front of the wall shows in all of them.
TEST_F(Markers, AreHiddenBehindAWallOnlyWhereTheFrameHasDepths) {
    // A triangle across the whole view, 100 ahead.
    Qor::LevelContents contents = oneTriangle({{-400, 100, -400}, {400, 100, -400}, {0, 100, 400}});
    contents.entities = {entity("light", "0 200 0"), entity("func_door", "0 50 0")};
    show(contents);
    renderer.view.showMarkers = true;
    for (const auto& [mode, look, shows] : {std::make_tuple(0u, Look::classic, false),
                                            std::make_tuple(1u, Look::classic, true),
                                            std::make_tuple(2u, Look::classic, true),
                                            std::make_tuple(2u, Look::shaded, false),
                                            std::make_tuple(1u, Look::normals, false)}) {
        renderer.view.renderMode = static_cast<RenderMode>(mode);
        renderer.view.look = look;
        const std::vector<Pixel> pixels = picture();
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << lookName(look));
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), yellow) > 100, shows);
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), orange), 100) << "in front of the wall";
    }
}

// Text beside each marker in its colour: orange with the green half its red,
// where the label runs right of the cube; nothing there without the font or
// with the markers off.
TEST_F(Markers, AreLabelledBesideTheCubeInTheirColour) {
    Qor::LevelContents contents;
    contents.entities = {entity("func_door", "-40 200 -40", {{"targetname", "gate"}})};
    show(contents);
    renderer.view.renderMode = RenderMode::opaque;
    renderer.view.showMarkers = true;
    const auto labelPixels = [&](const std::vector<Pixel>& pixels) {
        const int cubeRight = static_cast<int>(shownAt(-32.0 / 192)) + 2;
        const int row = static_cast<int>(shownAt(-40.0 / 200));
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
    EXPECT_GT(labelPixels(picture()), 40u);
    ASSERT_TRUE(renderer.frame.panel.atlasMade);
    renderer.view.showMarkers = false;
    EXPECT_EQ(labelPixels(picture()), 0u);
}

// A window taller than the panel, whose centre is the middle of pixel 300,
// 450, showing one opaque triangle.
class PointingMarks : public ViewerWindow {
protected:
    static constexpr int width = 601;
    static constexpr int height = 901;

    PointingMarks() : ViewerWindow({width, height}) { renderer.view.renderMode = RenderMode::opaque; }

    bool whiteAt(const std::vector<Pixel>& p, int x, int y) const { return p[pixelIndex(x, y)] == white; }
};

// Page 3 points at the pixel at the window's centre while mouse look is on,
// else at the pointer's: a crosshair marks it, and the triangle under it is
// outlined in white over its own fill. The triangle's bottom edge, 20 below
// the view at 100 ahead, shows at row (1 + 0.2 / tan 22.5°) / 2 × 901.
TEST_F(PointingMarks, ACrosshairAndTheTrianglePointedAtOutlinedInWhite) {
    show(oneTriangle({{-20, 100, -20}, {30, 100, -20}, {30, 100, 45}}));
    const auto outlined = [this](const std::vector<Pixel>& p) {
        const int row = static_cast<int>((1 + 0.2 / tangent) / 2 * height);
        int lit = 0;
        for (int y = row - 2; y <= row + 2; ++y)
            for (int x = 150; x < width; ++x) lit += whiteAt(p, x, y);
        return lit;
    };
    const int cx = width / 2;
    const int cy = height / 2;
    const std::vector<Pixel> before = picture();
    renderer.view.overlayVisible = true;
    renderer.view.overlayPage = 3;
    const std::vector<Pixel> pointed = picture();
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::surface);
    EXPECT_EQ(outlined(before), 0);
    EXPECT_GT(outlined(pointed), 300);
    for (const auto& [x, y, mark] : {std::make_tuple(cx + 5, cy, true), std::make_tuple(cx, cy - 5, true),
                                     std::make_tuple(cx, cy, false), std::make_tuple(cx + 9, cy, false)}) {
        EXPECT_FALSE(whiteAt(before, x, y));
        EXPECT_EQ(whiteAt(pointed, x, y), mark) << x - cx << ", " << y - cy;
    }
    // The pointer's pixel while mouse look is off: one left of the triangle.
    renderer.view.mouseLook = false;
    renderer.view.pointer = {cx - 150, cy + 100};
    EXPECT_TRUE(whiteAt(picture(), cx - 145, cy + 100));
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::nothing);
}

// The outline is drawn over the panel, as the crosshair is. A triangle whose
// top edge runs level across the window at row 40, through the panel in the
// top-left corner, and whose fill covers the window's centre: the edge shows
// white where page 3 covers it, and not under page 1, which points at nothing.
TEST_F(PointingMarks, TheOutlineShowsOverThePanel) {
    constexpr int edgeRow = 40;
    const auto top = static_cast<float>((1.0 - 2.0 * (edgeRow + 0.5) / height) * 100 * tangent);
    show(oneTriangle({{-60, 100, top}, {20, 100, top}, {20, 100, -20}}));
    renderer.view.overlayVisible = true;
    const auto whiteUnderThePanel = [&](std::int32_t page) {
        renderer.view.overlayPage = page;
        const std::vector<Pixel> p = picture();
        int lit = 0;
        for (int x = panelMargin + 12; x < panelMargin + 112; ++x)
            lit += whiteAt(p, x, edgeRow - 1) || whiteAt(p, x, edgeRow) || whiteAt(p, x, edgeRow + 1);
        return lit;
    };
    EXPECT_EQ(whiteUnderThePanel(3), 100);
    EXPECT_EQ(renderer.pointing.kind, Hit::Kind::surface);
    EXPECT_LT(whiteUnderThePanel(1), 20);
}

}  // namespace
