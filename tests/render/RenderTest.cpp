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
#include "Renderer.h"
#include "TestSupport.h"

// Real windows with GL contexts, levels written by the level writer and
// frames drawn as the run loop draws them, read back before the swap. The
// camera starts at the origin looking along +y, z up.

namespace {

using ::testing::AnyOf;
using ::testing::Each;
using ::testing::FloatEq;
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
    // texture, blending and no depth test.
    void expectScreenSpaceState(GLenum blendDestination,
                                std::vector<std::pair<GLenum, std::vector<GLfloat>>> states = {}) const {
        const GLfloat w = 2.0f / windowSize;
        states.insert(states.end(), {
            {GL_PROJECTION_MATRIX, {w, 0, 0, 0, 0, -w, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1}},
            {GL_MODELVIEW_MATRIX, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
            {GL_MATRIX_MODE, {GL_MODELVIEW}}, {GL_CURRENT_COLOR, {1, 1, 1, 1}}, {GL_TEXTURE_2D, {GL_TRUE}},
            {GL_TEXTURE_BINDING_2D, {static_cast<GLfloat>(renderer.textures.at("text_background"))}},
            {GL_BLEND, {GL_TRUE}}, {GL_BLEND_SRC, {GL_SRC_ALPHA}},
            {GL_BLEND_DST, {static_cast<GLfloat>(blendDestination)}}, {GL_DEPTH_TEST, {GL_FALSE}}});
        for (const auto& [name, wanted] : states) {
            GLfloat actual[16] = {};
            glGetFloatv(name, actual);
            EXPECT_THAT(std::vector<GLfloat>(actual, actual + wanted.size()), Pointwise(FloatEq(), wanted))
                << "GL state " << name;
        }
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
// belong, at the normal times the distance.
TEST_F(Render, DrawsTheWholeTrianglesOfTheChosenGroupsInsideTheLevelAndPlanesAsPoints) {
    Qor::LevelContents contents;
    for (float x : {-30.0f, -10.0f, 10.0f, 30.0f}) addTriangle(contents, 0, x, 6, 100);
    contents.triangles.insert(contents.triangles.begin(), Qor::Triangle{{0, 1, 5000}});
    // The last plane's 5 * 2^32 + 100 is kept to 32 bits.
    contents.planes = {{1, 5, 1, 20}, {-2, 10, 2, 10}, {1, (1 << 30) + 5, 1, 20}};
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
        {selectable, true, true, 3, "------"},        // past both lists
        // Triangles and corners outside the level are passed over; the rest is drawn.
        {{groupOf(0, 9), groupOf(12, 150), groupOf(300, 3), groupOf(3, 12, 1000)}, true, false, 0, "01-345"},
        {{groupOf(6, 3, 0xFFFFFFFD)}, true, false, 0, "0---45"},  // corner numbers wrap round to triangle 1's
        {{groupOf(3, 12)}, false, false, 0, "------"},            // every switch off
    };
    for (const auto& [groups, on, single, selected, lit] : cases) {
        SCOPED_TRACE(::testing::Message() << "single " << single << ", selected " << selected << ", " << lit);
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

}  // namespace
