#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "DrawingTables.h"
#include "MalformedLevels.h"
#include "Renderer.h"
#include "TestSupport.h"

// Real windows with GL contexts, levels written by the level writer and
// frames drawn as the run loop draws them, read back before the swap. The
// camera starts at the origin looking along +y, z up.

namespace {

using ::testing::AnyOf;
using ::testing::Each;
using ::testing::FloatEq;
using ::testing::MatchesRegex;
using ::testing::Pointwise;

using Pixel = std::array<std::uint8_t, 3>;  // red, green, blue
constexpr int windowSize = 200;  // square, so the aspect is 1
const Pixel black{0, 0, 0};

MATCHER_P(ShowsColour, wanted, "") {
    return std::abs(arg[0] - wanted[0]) <= 1 && std::abs(arg[1] - wanted[1]) <= 1 &&
           std::abs(arg[2] - wanted[2]) <= 1;
}

// Where (x, distance, z) shows, counted from the bottom row as glReadPixels
// counts; the vertical field of view is 45 degrees.
std::size_t pixelOf(float x, float z, float distance = 100) {
    const double halfExtent = distance * std::tan(22.5 * M_PI / 180.0);
    auto toPixel = [](double ndc) { return static_cast<int>(std::floor((ndc + 1.0) * windowSize / 2.0)); };
    return static_cast<std::size_t>(toPixel(z / halfExtent) * windowSize + toPixel(x / halfExtent));
}

// One group owning one triangle centred on (x, distance, 0), reaching `half`
// to either side and up and down.
void addTriangle(Qor::LevelContents& level, std::uint32_t texture, float x, float half, float distance,
                 std::uint8_t alpha = 255) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    level.vertices.insert(level.vertices.end(), {{x - half, distance, -half, alpha},
                                                 {x + half, distance, -half, alpha},
                                                 {x, distance, half, alpha}});
    const auto firstIndex = static_cast<std::uint32_t>(3 * level.triangles.size());
    level.textureGroups.push_back({texture, 0, first + 3, firstIndex, 3});
    level.triangles.push_back(Qor::Triangle{{first, first + 1, first + 2}});
}

class Render : public ::testing::Test {
protected:
    ~Render() override { shutdownVideo(); }

    // Shows the level with the fill, and the outlines and corners, on or off
    // and draws one frame.
    void draw(const Qor::LevelContents& contents, bool filled, bool outlined) {
        level = std::make_unique<Qor::BSP>("", testsupport::writeLevel("shown.d3dbsp", contents).c_str());
        renderer.setLevel(level.get());
        renderer.showFilled = filled;
        renderer.showWireframe = renderer.showCornerPoints = outlined;
        clearFrame();
        renderer.drawFrame();
        glReadPixels(0, 0, windowSize, windowSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }

    // What every frame leaves for the next, as the GL set-up does for the
    // first: pixel coordinates with the origin at the top left, white, the one
    // texture, blending and no depth test, no vertex array and no buffer.
    void expectScreenSpaceState(GLenum blendDestination,
                                std::vector<std::pair<GLenum, std::vector<GLfloat>>> states = {}) const {
        const GLfloat w = 2.0f / windowSize;
        states.insert(states.end(), {
            {GL_PROJECTION_MATRIX, {w, 0, 0, 0, 0, -w, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1}},
            {GL_MODELVIEW_MATRIX, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
            {GL_MATRIX_MODE, {GL_MODELVIEW}}, {GL_CURRENT_COLOR, {1, 1, 1, 1}}, {GL_TEXTURE_2D, {GL_TRUE}},
            {GL_TEXTURE_BINDING_2D, {static_cast<GLfloat>(renderer.textures.at("text_background"))}},
            {GL_BLEND, {GL_TRUE}}, {GL_BLEND_SRC, {GL_SRC_ALPHA}},
            {GL_BLEND_DST, {static_cast<GLfloat>(blendDestination)}}, {GL_DEPTH_TEST, {GL_FALSE}},
            {GL_VERTEX_ARRAY, {GL_FALSE}}, {GL_COLOR_ARRAY, {GL_FALSE}}, {GL_ARRAY_BUFFER_BINDING, {0}},
            {GL_ELEMENT_ARRAY_BUFFER_BINDING, {0}}, {GL_VERTEX_ARRAY_BUFFER_BINDING, {0}},
            {GL_COLOR_ARRAY_BUFFER_BINDING, {0}}});
        for (const auto& [name, wanted] : states) {
            GLfloat actual[16] = {};
            glGetFloatv(name, actual);
            EXPECT_THAT(std::vector<GLfloat>(actual, actual + wanted.size()), Pointwise(FloatEq(), wanted))
                << "GL state " << name;
        }
    }

    void show(const std::string& path) {
        level = std::make_unique<Qor::BSP>("", path.c_str());
        renderer.setLevel(level.get());
    }

    // The same frame drawn by the glBegin/glEnd passes and from the arrays
    // must be the same, byte for byte; the arrays' frame is returned.
    std::vector<std::uint8_t> expectSameFrame() {
        std::vector<std::uint8_t> frames[2];
        for (const DrawPath path : {DrawPath::immediate, DrawPath::buffered}) {
            renderer.drawPath = path;
            clearFrame();
            renderer.drawFrame();
            std::vector<std::uint8_t>& rgba = frames[path == DrawPath::buffered];
            rgba.resize(windowSize * windowSize * 4);
            glReadPixels(0, 0, windowSize, windowSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        }
        const auto pixel = (std::mismatch(frames[0].begin(), frames[0].end(), frames[1].begin()).first -
                            frames[0].begin()) / 4;
        EXPECT_EQ(pixel, windowSize * windowSize) << "first difference in column " << pixel % windowSize
                                                  << ", row " << pixel / windowSize << " from the bottom";
        expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
        return frames[1];
    }

    void setSizes(float pointSize, float lineWidth) {
        renderer.pointSize = pointSize;
        renderer.lineWidth = lineWidth;
        glPointSize(pointSize);
        glLineWidth(lineWidth);
    }

    Renderer renderer{"", {windowSize, windowSize}};
    std::unique_ptr<Qor::BSP> level;
    std::vector<Pixel> pixels = std::vector<Pixel>(windowSize * windowSize);
};

TEST_F(Render, StartsInScreenSpaceWithAdditiveBlendingUnderTheProgramsCaption) {
    expectScreenSpaceState(GL_ONE, {{GL_COLOR_CLEAR_VALUE, {0, 0, 0, 1}}, {GL_DEPTH_FUNC, {GL_LEQUAL}},
                                    {GL_VIEWPORT, {0, 0, windowSize, windowSize}}});
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Orvandel - by Tolvane & Drelvik");
}

// Red is texture 0 and green texture 1; the red triangle is the near one.
// Triangles of 0.3 times their distance look alike at any distance.
TEST_F(Render, EachModeCombinesTheFillItsOwnWayAndLeavesScreenSpaceState) {
    using Triangles = std::vector<std::pair<std::uint32_t, float>>;  // texture, distance, in drawing order
    const std::tuple<std::uint32_t, Triangles, std::uint8_t, double, Pixel> cases[] = {
        {0, {{0, 100}, {1, 200}}, 255, 1.0, {255, 0, 0}},  // the near one hides the far one
        {1, {{0, 100}, {1, 200}}, 255, 1.0, {0, 255, 0}},    // the later one covers the earlier
        {2, {{0, 100}, {1, 200}}, 255, 1.0, {255, 255, 0}},  // they add up
        {1, {{0, 100}}, 51, 0.5, {26, 0, 0}},                // weighed by vertex alpha times fill alpha
        {2, {{0, 100}}, 128, 0.4, {51, 0, 0}},
        {0, {{18, 100}}, 0, 0.0, {255, 128, 0}},             // opaque, in entry 6 of the 12 colours: orange
    };
    for (const auto& [mode, triangles, vertexAlpha, fillAlpha, middle] : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << mode << ", fill alpha " << fillAlpha);
        Qor::LevelContents contents;
        for (const auto& [texture, distance] : triangles)
            addTriangle(contents, texture, 0, 0.3f * distance, distance, vertexAlpha);
        renderer.renderMode = mode;
        renderer.fillAlpha = fillAlpha;
        draw(contents, true, false);
        EXPECT_THAT(pixels[pixelOf(0, 0)], ShowsColour(middle));
        expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
    }
}

// Texture 6 fills in orange; its outline and corners take entry 0, red.
TEST_F(Render, OutlinesAndCornersTakeTheColourSixEntriesOn) {
    Qor::LevelContents contents;
    addTriangle(contents, 6, 0, 30, 100);
    renderer.renderMode = 0;  // opaque, so smoothed edges keep their colour
    draw(contents, false, true);
    EXPECT_THAT(pixels, Each(AnyOf(black, ShowsColour(Pixel{255, 0, 0}))));
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](const Pixel& p) { return p != black; }), 100);
    EXPECT_EQ(pixels[pixelOf(0, 0)], black);
}

Qor::TextureGroup groupOf(std::uint32_t firstIndex, std::uint32_t indexCount, std::uint32_t firstVertex = 0) {
    return Qor::TextureGroup{0, firstVertex, 12, firstIndex, indexCount};
}

// Probes 0 to 3 show small triangles 1 to 4 from left to right (triangle 0
// has a corner past the vertices); probes 4 and 5 show where planes 0 and 1
// belong, at the normal times the distance: plane 0 is the plane through
// (20, 100, 20) facing away from the origin, as files store planes, and
// plane 2 a plane whose normal is not of unit length. Planes 3 and 4 have no
// point: a NaN, and a point too far for a float.
TEST_F(Render, DrawsTheWholeTrianglesOfTheChosenGroupsInsideTheLevelAndPlanesAsPoints) {
    Qor::LevelContents contents;
    for (float x : {-30.0f, -10.0f, 10.0f, 30.0f}) addTriangle(contents, 0, x, 6, 100);
    contents.triangles.insert(contents.triangles.begin(), Qor::Triangle{{0, 1, 5000}});
    const float distance = std::sqrt(20.0f * 20.0f + 100.0f * 100.0f + 20.0f * 20.0f);
    contents.planes = {{20 / distance, 100 / distance, 20 / distance, distance},
                       {-2, 10, 2, 10},
                       {1, 5, 1, 20},
                       {1, 5, 1, NAN},
                       {1e30f, 5e30f, 1e30f, 1e10f}};
    const std::vector<std::size_t> probes = {pixelOf(-30, 0), pixelOf(-10, 0), pixelOf(10, 0),
                                             pixelOf(30, 0), pixelOf(20, 20), pixelOf(-20, 20)};
    const std::vector<Qor::TextureGroup> selectable = {groupOf(3, 3), groupOf(6, 4), groupOf(9, 3)};
    const std::tuple<std::vector<Qor::TextureGroup>, bool, bool, std::uint32_t, std::string> cases[] = {
        // switches on, single, selected, lit
        {{groupOf(6, 6)}, true, false, 0, "-12-45"},
        {{groupOf(6, 5)}, true, false, 0, "----45"},  // a count that is not whole triangles
        {{groupOf(7, 6)}, true, false, 0, "----45"},  // a start that is not
        {selectable, true, true, 2, "--2-4-"},        // a single group and plane
        {selectable, true, true, 1, "-----5"},        // group 1 is not whole triangles
        {selectable, true, true, 3, "------"},        // past the groups, and a plane without a point
        {selectable, true, true, 4, "------"},
        {selectable, true, true, 5, "------"},        // past both lists
        // Triangles and corners outside the level are passed over; the rest is drawn.
        {{groupOf(0, 9), groupOf(12, 150), groupOf(300, 3), groupOf(3, 12, 1000)}, true, false, 0, "01-345"},
        {{groupOf(6, 3, 0xFFFFFFFD)}, true, false, 0, "0---45"},  // corner numbers wrap round to triangle 1's
        {{groupOf(3, 12)}, false, false, 0, "------"},            // every switch off
    };
    for (const DrawPath path : {DrawPath::immediate, DrawPath::buffered})
        for (const auto& [groups, on, single, selected, lit] : cases) {
            SCOPED_TRACE(::testing::Message() << (path == DrawPath::buffered ? "buffered" : "immediate") << ", single "
                                              << single << ", selected " << selected << ", " << lit);
            renderer.drawPath = path;
            contents.textureGroups = groups;
            renderer.showPlanePoints = on && !single;
            renderer.singleGroup = renderer.singlePlane = single;
            renderer.selectedGroup = renderer.selectedPlane = selected;
            draw(contents, on, on);
            std::string shown;  // each probe's number if its pixel is lit
            for (std::size_t k = 0; k < probes.size(); ++k)
                shown += pixels[probes[k]] != black ? std::to_string(k) : "-";
            EXPECT_EQ(shown, lit);
            // All black, unless some probe is lit.
            EXPECT_EQ(pixels == std::vector<Pixel>(pixels.size()), lit == "------");
        }
}

std::size_t litPixels(const std::vector<std::uint8_t>& rgba) {
    std::size_t lit = 0;
    for (std::size_t at = 0; at < rgba.size(); at += 4) lit += rgba[at] != 0 || rgba[at + 1] != 0 || rgba[at + 2] != 0;
    return lit;
}

// The arrays draw what the glBegin/glEnd passes draw, from buffer objects and
// from client arrays alike. Consecutive views change the fill alpha among
// other things, so each arrays frame also shows a change of alpha at once.
TEST_F(Render, ArraysDrawEveryViewOfEveryLevelAsTheImmediatePassesDo) {
    const TableView views[] = {
        {2, "fwc", -1, -1, 1, 1, 0.1},     {0, "pfwc", -1, -1, 3.5f, 2.5f, 0.5}, {1, "f", -1, -1, 1, 1, 0.2},
        {1, "f", -1, -1, 1, 1, 0.73},      {1, "w", -1, -1, 1, 1, 0.73},      {0, "c", -1, -1, 10, 1, 0.73},        {2, "wc", -1, -1, 10, 10, 1.5},
        {1, "fc", 1, -1, 2, 1, -0.004},    {0, "fw", 0, 1, 1, 4, 0.3},           {2, "p", -1, -1, 6, 1, 0.3},
        {1, "pfwc", 3, 0, 1.5f, 1.5f, 0},  {2, "f", -1, -1, 1, 1, 2},            {0, "", -1, -1, 1, 1, 2},
    };
    const std::vector<std::pair<std::string, std::string>> levels = tableLevels();
    for (const bool bufferObjects : {true, false}) {
        renderer.geometry.onlyOpenGl11 = !bufferObjects;
        for (const auto& [name, path] : levels) {
            show(path);
            for (const TableView& view : views) {
                SCOPED_TRACE(::testing::Message() << name << (bufferObjects ? "" : ", client arrays") << ", mode "
                                                  << view.mode << " '" << view.passes << "', group " << view.group
                                                  << ", plane " << view.plane << ", alpha " << view.fillAlpha);
                applyView(renderer, view);
                expectSameFrame();
            }
        }
    }
}

// A small triangle of the camera's whose centre shows at (column, row) of
// the window, counted from the bottom left and maybe outside it, at this
// distance along the view.
void addTriangleSeenAt(Qor::LevelContents& level, const Renderer& camera, double column, double row,
                       double distance, std::uint32_t texture) {
    using Vector = std::array<double, 3>;
    const double cp = std::cos(camera.cameraPitch);
    const Vector forward = {cp * std::sin(camera.cameraYaw), cp * std::cos(camera.cameraYaw),
                            std::sin(camera.cameraPitch)};
    const double flat = std::hypot(forward[0], forward[1]);
    const Vector side = {forward[1] / flat, -forward[0] / flat, 0};
    const Vector up = {side[1] * forward[2], -side[0] * forward[2], side[0] * forward[1] - side[1] * forward[0]};
    const double pixel = 2 * distance * std::tan(22.5 * M_PI / 180.0) / windowSize;
    auto at = [&](double x, double y) {
        const double across = (x - windowSize / 2.0) * pixel;
        const double above = (y - windowSize / 2.0) * pixel;
        Qor::Vertex v;
        v.x = static_cast<float>(camera.cameraPos[0] + distance * forward[0] + across * side[0] + above * up[0]);
        v.y = static_cast<float>(camera.cameraPos[1] + distance * forward[1] + across * side[1] + above * up[1]);
        v.z = static_cast<float>(camera.cameraPos[2] + distance * forward[2] + across * side[2] + above * up[2]);
        return v;
    };
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    level.vertices.insert(level.vertices.end(), {at(column - 1, row - 1), at(column + 1, row - 1), at(column, row + 1)});
    level.textureGroups.push_back({texture, first, 3, static_cast<std::uint32_t>(3 * level.triangles.size()), 3});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
}

// Around each side of the view, small triangles from just inside to well
// outside, drawn with 10-pixel lines and points, which reach 5 pixels (and a
// smoothed one more) past their corners; and triangles at the near and far
// distances, where OpenGL's rounding still draws a little past the far one.
// Culling sends fewer triangles and never changes a pixel.
TEST_F(Render, CullingKeepsEveryPixelWithWideLinesAndLargePoints) {
    setSizes(10, 10);
    const std::tuple<std::array<double, 3>, double, double> cameras[] = {
        {{0, 0, 0}, 0, 0}, {{30, -70, 20}, 0.7, 0.3}, {{-200, 150, -90}, 2.5, -1.4}, {{10, 10, 10}, -1.2, 1.5},
    };
    const double outside[] = {-2, 1.5, 3, 4.5, 6, 9, 20};  // pixels past the edge
    for (const auto& [position, yaw, pitch] : cameras) {
        renderer.cameraPos = position;
        renderer.cameraYaw = yaw;
        renderer.cameraPitch = pitch;
        Qor::LevelContents contents;
        std::uint32_t texture = 0;
        for (const double along : {30.0, 100.0, 170.0})
            for (const double past : outside) {
                addTriangleSeenAt(contents, renderer, -past, along, 100, texture++);
                addTriangleSeenAt(contents, renderer, windowSize + past, along, 100, texture++);
                addTriangleSeenAt(contents, renderer, along, -past, 300, texture++);
                addTriangleSeenAt(contents, renderer, along, windowSize + past, 300, texture++);
            }
        for (const double distance : {9.9, 10.0, 10.1, 9999.9, 10000.1, 10040.0, 12000.0})
            addTriangleSeenAt(contents, renderer, 60, 140, distance, texture++);
        show(testsupport::writeLevel("edges.d3dbsp", contents));
        for (const std::uint32_t mode : {0u, 1u, 2u}) {
            SCOPED_TRACE(::testing::Message() << "yaw " << yaw << ", pitch " << pitch << ", mode " << mode);
            renderer.renderMode = mode;
            EXPECT_GT(litPixels(expectSameFrame()), 0u);
            EXPECT_GT(renderer.geometry.trianglesSent(), 0u);
            EXPECT_LT(renderer.geometry.trianglesSent(), contents.triangles.size());
        }
    }
}

// A new level between two frames replaces every array of the old one, and a
// level too large for the arrays is drawn the immediate way, with a warning.
TEST_F(Render, ANewLevelReplacesTheArraysOfTheOldOne) {
    const std::string demo = generatedLevel({"demo"});
    const std::string small = testsupport::writeTemp("small.d3dbsp", Qor::malformedLevels()[0].bytes);
    const std::string bench = generatedLevel({"bench", "--triangles", "900"});
    renderer.singleGroup = true;
    renderer.selectedGroup = 5;
    for (const std::string& path : {demo, small, demo, bench}) {
        SCOPED_TRACE(path);
        show(path);
        expectSameFrame();
    }
    renderer.geometry.byteLimit = 1000;
    testing::internal::CaptureStderr();
    show(demo);
    expectSameFrame();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                MatchesRegex("WARNING: The level's vertex arrays do not fit in memory, so it is drawn without "
                             "them, more slowly; bytes needed: '[0-9]+'\\.\n"));
    EXPECT_EQ(renderer.geometry.bytes(), 0u);
}

}  // namespace
