#include <cmath>
#include <cstdlib>
#include <string>

#include "RenderWindow.h"

namespace {

using ::testing::Each;
using ::testing::IsEmpty;

// Every lit pixel lies within two pixels of one of the wanted points, and
// every wanted point has a lit pixel that close.
void expectLitOnlyAround(const std::vector<WindowPoint>& lit, const std::vector<WindowPoint>& wanted) {
    auto close = [](WindowPoint a, WindowPoint b) { return std::abs(a.x - b.x) <= 2 && std::abs(a.y - b.y) <= 2; };
    EXPECT_FALSE(lit.empty());
    for (const WindowPoint& point : lit) {
        bool nearWanted = false;
        for (const WindowPoint& w : wanted) nearWanted = nearWanted || close(point, w);
        EXPECT_TRUE(nearWanted) << "lit at " << point.x << ", " << point.y;
    }
    for (const WindowPoint& w : wanted) {
        bool found = false;
        for (const WindowPoint& point : lit) found = found || close(point, w);
        EXPECT_TRUE(found) << "nothing lit at " << w.x << ", " << w.y;
    }
}

// One vertex run holding the corners of every spot, and one triangle per
// spot in spot order; no groups yet.
Qor::LevelContents spotTriangles() {
    Qor::LevelContents contents;
    for (int spot = 0; spot < spotCount; ++spot) {
        const auto first = static_cast<std::uint32_t>(contents.vertices.size());
        for (const Qor::Vertex& v : spotCorners(spot)) contents.vertices.push_back(v);
        contents.triangles.push_back(Qor::Triangle{{first, first + 1, first + 2}});
    }
    return contents;
}

Qor::TextureGroup groupOf(std::uint32_t firstIndex, std::uint32_t indexCount, std::uint32_t firstVertex = 0) {
    return Qor::TextureGroup{0, firstVertex, 12, firstIndex, indexCount};
}

class Passes : public RenderWindow {
protected:
    // Opaque drawing, so that every lit pixel shows its colour unweighted.
    Passes() { renderer.renderMode = 0; }

    // Draws a frame and checks which spots show, by number; none means that
    // nothing at all shows.
    void expectLitSpots(const std::string& wanted) {
        drawOneFrame();
        std::string spots;
        for (int spot = 0; spot < spotCount; ++spot)
            if (isLit(pixelAt(spotPoint(spot)))) spots += std::to_string(spot);
        EXPECT_EQ(spots, wanted);
        if (wanted.empty()) {
            EXPECT_THAT(litPixels(), IsEmpty());
        }
    }
};

TEST_F(Passes, FillsInTheGroupColourAndOutlinesSixEntriesOn) {
    struct Case {
        std::uint32_t texture;
        std::array<double, 3> fill;
        std::array<double, 3> outline;
    };
    const Case cases[] = {
        {6, {1.0, 0.5, 0.0}, {1.0, 0.0, 0.0}},  // orange, red
        {13, {0.0, 1.0, 0.0}, {0.5, 1.0, 0.0}},  // green, yellow-green
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("texture " + std::to_string(c.texture));
        Qor::LevelContents contents;
        addLargeTriangle(contents, c.texture);
        show(contents);
        const auto [fr, fg, fb] = c.fill;
        const auto [r, g, b] = c.outline;

        onlyPasses(true, false, false);
        drawOneFrame();
        EXPECT_THAT(pixelAt(windowPointOf(0, 0)), ShowsColour(fr, fg, fb));

        onlyPasses(false, true, false);
        drawOneFrame();
        EXPECT_FALSE(isLit(pixelAt(windowPointOf(0, 0))));
        EXPECT_GT(litPixels().size(), 100u);
        EXPECT_THAT(litPixels(), Each(ShowsColour(r, g, b)));

        onlyPasses(false, false, true);
        drawOneFrame();
        EXPECT_THAT(litPixels(), Each(ShowsColour(r, g, b)));
        std::vector<WindowPoint> corners;
        for (const Qor::Vertex& v : contents.vertices) corners.push_back(windowPointOf(v.x, v.z));
        expectLitOnlyAround(litPoints(), corners);
    }
}

TEST_F(Passes, DrawsOnlyGroupsCountedInWholeTriangles) {
    struct Case {
        std::uint32_t firstIndex;
        std::uint32_t indexCount;
        std::string lit;
    };
    const Case cases[] = {{3, 6, "12"}, {0, 12, "0123"}, {3, 5, ""}, {4, 6, ""}, {0, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE("firstIndex " + std::to_string(c.firstIndex) + ", indexCount " + std::to_string(c.indexCount));
        Qor::LevelContents contents = spotTriangles();
        contents.textureGroups.push_back(groupOf(c.firstIndex, c.indexCount));
        show(contents);
        expectLitSpots(c.lit);
    }
}

TEST_F(Passes, SingleGroupDrawsOnlyTheSelectedGroup) {
    Qor::LevelContents contents = spotTriangles();
    for (std::uint32_t spot = 0; spot < spotCount; ++spot) contents.textureGroups.push_back(groupOf(3 * spot, 3));
    contents.textureGroups[1].indexCount = 4;
    show(contents);
    renderer.singleGroup = true;

    const std::pair<std::uint32_t, std::string> cases[] = {{2, "2"}, {0, "0"}, {1, ""}, {4, ""}, {0xFFFFFFFF, ""}};
    for (const auto& [selected, lit] : cases) {
        SCOPED_TRACE("selected " + std::to_string(selected));
        renderer.selectedGroup = selected;
        expectLitSpots(lit);
    }
}

TEST_F(Passes, SkipsTrianglesOutsideTheLevelAndDrawsTheRest) {
    Qor::LevelContents contents = spotTriangles();
    contents.triangles[1].corners[2] = 5000;
    contents.textureGroups = {
        groupOf(0, 9),         // spots 0 to 2, spot 1 with a corner past the vertices
        groupOf(9, 3 * 50),    // spot 3, then positions past the triangles
        groupOf(3 * 100, 3),   // wholly past the triangles
        groupOf(0, 12, 1000),  // every corner past the vertices
    };
    show(contents);
    expectLitSpots("023");

    // Spot 2's corner numbers 6, 7, 8 from 2^32 - 3 come round to spot 1's vertices.
    contents.textureGroups.push_back(groupOf(6, 3, 0xFFFFFFFD));
    show(contents);
    expectLitSpots("0123");
}

TEST_F(Passes, PlanePointsAreWhiteAtTheNormalTimesTheDistance) {
    Qor::LevelContents contents;
    contents.planes = {
        Qor::Plane{1, 0, 0, 64},
        Qor::Plane{32, 0, 5, 2},
        Qor::Plane{(1 << 30) + 16, 0, 0, 4},  // 2^32 + 64 kept to 32 bits
    };
    show(contents);
    onlyPasses(false, false, false);
    renderer.cameraYaw = M_PI / 2;  // looking along +x, so +z is up and -y to the right
    const WindowPoint ahead = windowPointOf(0, 0, 64);
    const WindowPoint above = windowPointOf(0, 10, 64);

    renderer.showPlanePoints = true;
    drawOneFrame();
    EXPECT_THAT(litPixels(), Each(Pixel{255, 255, 255}));
    expectLitOnlyAround(litPoints(), {ahead, above});

    renderer.showPlanePoints = false;
    renderer.singlePlane = true;
    const std::pair<std::uint32_t, std::vector<WindowPoint>> cases[] = {
        {0, {ahead}}, {1, {above}}, {2, {ahead}}, {3, {}}, {0xFFFFFFFF, {}}};
    for (const auto& [selected, wanted] : cases) {
        SCOPED_TRACE("selected " + std::to_string(selected));
        renderer.selectedPlane = selected;
        drawOneFrame();
        if (wanted.empty()) {
            EXPECT_THAT(litPixels(), IsEmpty());
        } else {
            expectLitOnlyAround(litPoints(), wanted);
        }
    }
}

}  // namespace
