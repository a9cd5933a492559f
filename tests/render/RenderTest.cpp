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

#include "AssetFixtures.h"
#include "AssetLayers.h"
#include "BSP.h"
#include "DdsFormat.h"
#include "DrawingTables.h"
#include "MaterialColours.h"
#include "Normals.h"
#include "Renderer.h"
#include "TestSupport.h"
#include "ViewRay.h"

// Real windows with GL contexts, levels written by the level writer and
// frames drawn as the run loop draws them, read back before the swap. The
// camera starts at the origin looking along +y, z up; a 45-degree view in a
// square window.

namespace {

using ::testing::AnyOf;
using ::testing::Each;
using ::testing::FloatEq;
using ::testing::MatchesRegex;
using ::testing::Pointwise;

using Pixel = std::array<std::uint8_t, 4>;  // red, green, blue, alpha
using Rgb = std::array<int, 3>;
constexpr int windowSize = 200;
const Rgb black{0, 0, 0};
const Rgb red{255, 0, 0};

MATCHER_P2(IsColour, wanted, tolerance, "") {
    for (std::size_t k = 0; k < 3; ++k)
        if (std::abs(arg[k] - wanted[k]) > tolerance) return false;
    return true;
}

template <class Bytes>
Rgb rgbOf(const Bytes& bytes) {
    return {bytes[0], bytes[1], bytes[2]};
}

Rgb scaled(const Rgb& colour, double factor) {
    Rgb out{};
    for (std::size_t k = 0; k < 3; ++k) out[k] = static_cast<int>(std::lround(colour[k] * factor));
    return out;
}

std::size_t litPixels(const std::vector<Pixel>& pixels) {
    return static_cast<std::size_t>(
        std::count_if(pixels.begin(), pixels.end(), [](const Pixel& p) { return rgbOf(p) != black; }));
}

// Where (x, distance, z) shows from the start, counted from the bottom row as
// glReadPixels counts.
std::size_t pixelOf(float x, float z, float distance = 100) {
    const double halfExtent = distance * std::tan(22.5 * M_PI / 180.0);
    auto toPixel = [](double ndc) { return static_cast<int>(std::floor((ndc + 1.0) * windowSize / 2.0)); };
    return static_cast<std::size_t>(toPixel(z / halfExtent) * windowSize + toPixel(x / halfExtent));
}

// One group owning one upright triangle centred on (x, distance, 0),
// reaching `half` to either side and up and down, its corners otherwise as
// `like` and counter-clockwise seen from the start (so its face normal is
// -y), or the other way round.
void addTriangle(Qor::LevelContents& level, std::uint32_t texture, float x, float half, float distance,
                 const Qor::Vertex& like = {}, bool clockwise = false) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [cx, cz] : {std::pair(x - half, -half), std::pair(x + half, -half), std::pair(x, half)}) {
        Qor::Vertex& corner = level.vertices.emplace_back(like);
        std::tie(corner.x, corner.y, corner.z) = std::tie(cx, distance, cz);
    }
    const auto firstIndex = static_cast<std::uint32_t>(3 * level.triangles.size());
    level.textureGroups.push_back({texture, 0, first + 3, firstIndex, 3});
    level.triangles.push_back(clockwise ? Qor::Triangle{{first, first + 2, first + 1}}
                                        : Qor::Triangle{{first, first + 1, first + 2}});
}

class Render : public ::testing::Test {
protected:
    ~Render() override { shutdownVideo(); }

    void show(const Qor::LevelContents& contents) { show(testsupport::writeLevel("shown.d3dbsp", contents)); }

    void show(const std::string& path) {
        level = std::make_unique<Qor::BSP>("", path.c_str());
        renderer.setLevel(level.get());
    }

    // One frame on the renderer's drawing path, rows from the bottom.
    std::vector<Pixel> frame() {
        clearFrame();
        renderer.drawFrame();
        std::vector<Pixel> pixels(windowSize * windowSize);
        glReadPixels(0, 0, windowSize, windowSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // What every frame leaves for the next, as the GL set-up does for the
    // first: pixel coordinates with the origin at the top left, white, the one
    // texture, blending and no depth test, nothing of a look's own state, no
    // array and no buffer.
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
            {GL_LIGHTING, {GL_FALSE}}, {GL_LIGHT0, {GL_FALSE}}, {GL_LIGHT1, {GL_FALSE}},
            {GL_COLOR_MATERIAL, {GL_FALSE}}, {GL_POLYGON_OFFSET_FILL, {GL_FALSE}}, {GL_NORMAL_ARRAY, {GL_FALSE}},
            {GL_VERTEX_ARRAY, {GL_FALSE}}, {GL_COLOR_ARRAY, {GL_FALSE}}, {GL_TEXTURE_COORD_ARRAY, {GL_FALSE}},
            {GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING, {0}}, {GL_ARRAY_BUFFER_BINDING, {0}},
            {GL_ELEMENT_ARRAY_BUFFER_BINDING, {0}}, {GL_VERTEX_ARRAY_BUFFER_BINDING, {0}},
            {GL_COLOR_ARRAY_BUFFER_BINDING, {0}}, {GL_NORMAL_ARRAY_BUFFER_BINDING, {0}},
            {GL_CULL_FACE, {GL_FALSE}}, {GL_POLYGON_MODE, {GL_FILL, GL_FILL}}});
        for (const auto& [name, wanted] : states) {
            GLfloat actual[16] = {};
            glGetFloatv(name, actual);
            EXPECT_THAT(std::vector<GLfloat>(actual, actual + wanted.size()), Pointwise(FloatEq(), wanted))
                << "GL state " << name;
        }
    }

    // The same frame drawn by the glBegin/glEnd passes and from the arrays
    // must be the same, byte for byte; the arrays' frame is returned.
    std::vector<Pixel> expectSameFrame() {
        std::vector<Pixel> frames[2];
        for (const DrawPath path : {DrawPath::immediate, DrawPath::buffered}) {
            renderer.view.drawPath = path;
            frames[path == DrawPath::buffered] = frame();
            expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
        }
        const auto pixel = std::mismatch(frames[0].begin(), frames[0].end(), frames[1].begin()).first -
                           frames[0].begin();
        EXPECT_EQ(pixel, windowSize * windowSize) << "first difference in column " << pixel % windowSize
                                                  << ", row " << pixel / windowSize << " from the bottom";
        return frames[1];
    }

    // The camera `distance` from `target` on the side the horizontal
    // direction `bearing` (radians; 0 along -y, growing toward +x) points to,
    // looking back at it.
    void lookAt(const std::array<double, 3>& target, double bearing, double distance) {
        renderer.view.cameraPos = {target[0] + distance * std::sin(bearing), target[1] - distance * std::cos(bearing),
                              target[2]};
        renderer.view.cameraYaw = -bearing;
        renderer.view.cameraPitch = 0.0;
    }

    bool displayHeld = testsupport::holdDisplay();
    Renderer renderer{{windowSize, windowSize}};
    std::unique_ptr<Qor::BSP> level;
};

TEST_F(Render, StartsInScreenSpaceWithAdditiveBlendingUnderTheProgramsCaption) {
    expectScreenSpaceState(GL_ONE, {{GL_COLOR_CLEAR_VALUE, {0, 0, 0, 1}}, {GL_DEPTH_FUNC, {GL_LEQUAL}},
                                    {GL_VIEWPORT, {0, 0, windowSize, windowSize}}});
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Orvandel - by Tolvane & Drelvik");
}

// Texture 0 is red and baked red, texture 1 green and baked green; the red
// triangle is the near one, drawn first. Triangles of 0.3 times their
// distance look alike at any distance. Classic combines the fills by its
// render mode; the other looks are opaque with a depth test whatever the
// mode and the fill alpha: without it the far one, drawn over the near one,
// would show or add up.
TEST_F(Render, EachModeCombinesTheFillItsOwnWayAndTheOpaqueLooksHideFarSurfacesInAny) {
    const Rgb shadedRed = rgbOf(Qor::unnamedTextureColour(0));
    const std::vector<std::pair<std::uint32_t, float>> both = {{0, 100}, {1, 200}};  // texture, distance
    const std::tuple<Look, std::uint32_t, std::vector<std::pair<std::uint32_t, float>>, std::uint8_t, double, Rgb>
        cases[] = {
            {Look::classic, 0, both, 255, 1.0, red},             // the near one hides the far one
            {Look::classic, 1, both, 255, 1.0, {0, 255, 0}},     // the later one covers the earlier
            {Look::classic, 2, both, 255, 1.0, {255, 255, 0}},   // they add up
            {Look::classic, 1, {{0, 100}}, 51, 0.5, {26, 0, 0}},  // weighed by vertex alpha times fill alpha
            {Look::classic, 2, {{0, 100}}, 128, 0.4, {51, 0, 0}},
            {Look::classic, 0, {{18, 100}}, 0, 0.0, {255, 128, 0}},  // opaque, in entry 6 of the 12 colours: orange
            {Look::shaded, 1, both, 51, 0.5, shadedRed},          {Look::shaded, 2, both, 255, 0.0, shadedRed},
            {Look::baked, 1, both, 255, 2.0, {250, 10, 10}},      {Look::baked, 2, both, 128, 0.1, {250, 10, 10}},
            {Look::normals, 2, both, 255, 0.3, {128, 0, 128}},
        };
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    for (const auto& [look, mode, triangles, vertexAlpha, fillAlpha, middle] : cases) {
        SCOPED_TRACE(::testing::Message() << lookName(look) << ", mode " << mode << ", fill alpha " << fillAlpha);
        Qor::LevelContents contents;
        for (const auto& [texture, distance] : triangles) {
            const std::array<std::uint8_t, 3> baked = texture == 0 ? std::array<std::uint8_t, 3>{250, 10, 10}
                                                                   : std::array<std::uint8_t, 3>{10, 250, 10};
            addTriangle(contents, texture, 0, 0.3f * distance, distance, {0, 0, 0, vertexAlpha, {}, baked});
        }
        show(contents);
        renderer.view.look = look;
        renderer.view.renderMode = static_cast<RenderMode>(mode);
        renderer.view.fillAlpha = fillAlpha;
        EXPECT_THAT(frame()[pixelOf(0, 0)], IsColour(middle, 1));
        expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
    }
}

// Texture 6 fills in orange; its outlines and corners take entry 0, red.
// Four triangles of a floor seen at a slant: in every look but classic the
// surfaces are drawn under their outlines, and every pixel the outlines and
// corners light on their own keeps their colour over the surfaces. (The floor
// lies inside the view: where the view's sides cut a line and a triangle,
// the two cuts' depths can differ by more than any offset.)
TEST_F(Render, OutlinesAndCornersTakeTheColourSixEntriesOnAndShowWholeOverSurfaces) {
    Qor::LevelContents contents;
    for (int k = 0; k < 4; ++k) {
        const float x = -36.0f + 18.0f * static_cast<float>(k);
        const auto first = static_cast<std::uint32_t>(contents.vertices.size());
        contents.vertices.insert(contents.vertices.end(), {{x, 100, -40}, {x + 18, 100, -40}, {x + 9, 300, -40}});
        contents.textureGroups.push_back({6, first, 3, static_cast<std::uint32_t>(3 * k), 3});
        contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    }
    show(contents);
    renderer.view.renderMode = RenderMode::opaque;  // opaque, so smoothed edges keep their colour
    renderer.view.cameraPitch = -0.3;
    for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals}) {
        SCOPED_TRACE(lookName(look));
        renderer.view.look = look;
        renderer.view.showFilled = false;
        const std::vector<Pixel> lines = frame();
        EXPECT_THAT(lines, Each(AnyOf(IsColour(black, 0), IsColour(red, 1))));
        renderer.view.showFilled = true;
        const std::vector<Pixel> over = frame();
        std::size_t outlined = 0;
        std::size_t kept = 0;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (rgbOf(lines[at]) != red) continue;
            ++outlined;
            kept += rgbOf(over[at]) == red;
        }
        EXPECT_GT(outlined, 500u);
        EXPECT_TRUE(look == Look::classic || kept == outlined) << kept << " of " << outlined << " kept";
    }
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
            renderer.view.drawPath = path;
            contents.textureGroups = groups;
            renderer.view.showFilled = renderer.view.showWireframe = renderer.view.showCornerPoints = on;
            renderer.view.showPlanePoints = on && !single;
            renderer.view.singleGroup = renderer.view.singlePlane = single;
            renderer.view.selectedGroup = renderer.view.selectedPlane = selected;
            show(contents);
            const std::vector<Pixel> pixels = frame();
            std::string shown;  // each probe's number if its pixel is lit
            for (std::size_t k = 0; k < probes.size(); ++k)
                shown += rgbOf(pixels[probes[k]]) != black ? std::to_string(k) : "-";
            EXPECT_EQ(shown, lit);
            // All black, unless some probe is lit.
            EXPECT_EQ(litPixels(pixels) == 0, lit == "------");
        }
}

// The arrays draw what the glBegin/glEnd passes draw, from buffer objects and
// from client arrays alike, in every look, from the start and from where the
// whole level shows. Consecutive views change the fill alpha among other
// things, so each arrays frame also shows a change of alpha at once; outside
// classic it must change nothing.
TEST_F(Render, ArraysDrawEveryViewOfEveryLevelInEveryLookAsTheImmediatePassesDo) {
    const TableView views[] = {
        {2, "fwc", -1, -1, 1, 1, 0.1},     {0, "pfwc", -1, -1, 3.5f, 2.5f, 0.5}, {1, "f", -1, -1, 1, 1, 0.2},
        {1, "f", -1, -1, 1, 1, 0.73},      {1, "w", -1, -1, 1, 1, 0.73},      {0, "c", -1, -1, 10, 1, 0.73},
        {2, "wc", -1, -1, 10, 10, 1.5},    {1, "fc", 1, -1, 2, 1, -0.004},    {0, "fw", 0, 1, 1, 4, 0.3},
        {2, "p", -1, -1, 6, 1, 0.3},       {1, "pfwc", 3, 0, 1.5f, 1.5f, 0},  {2, "f", -1, -1, 1, 1, 2},
        {0, "", -1, -1, 1, 1, 2},
    };
    const std::vector<std::pair<std::string, std::string>> levels = tableLevels();
    for (const bool bufferObjects : {true, false}) {
        renderer.frame.geometry.onlyOpenGl11 = !bufferObjects;
        for (const auto& [name, path] : levels) {
            show(path);
            for (const bool fitted : {false, true}) {
                if (fitted) renderer.fitLevel();
                else lookAt({0, 100, 0}, 0, 100);  // the start
                for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals, Look::textured})
                    for (const TableView& view : views) {
                        SCOPED_TRACE(::testing::Message()
                                     << name << (bufferObjects ? "" : ", client arrays") << (fitted ? ", fitted" : "")
                                     << ", " << lookName(look) << ", mode " << view.mode << " '" << view.passes
                                     << "', group " << view.group << ", plane " << view.plane << ", alpha "
                                     << view.fillAlpha);
                        renderer.view.look = look;
                        applyView(renderer, view);
                        expectSameFrame();
                    }
            }
        }
    }
}

// One-sided drawing on every level of the table, in every look, from the
// start and fitted: both paths still give the same pictures.
TEST_F(Render, OneSidedArraysDrawEveryLookAsTheImmediatePassesDo) {
    const TableView views[] = {
        {2, "fwc", -1, -1, 1, 1, 0.1}, {0, "pfwc", -1, -1, 3.5f, 2.5f, 0.5}, {1, "fc", 1, -1, 2, 1, 0.3},
        {0, "fw", 0, 1, 1, 4, 0.3},    {2, "wc", -1, -1, 10, 10, 1.5},
    };
    renderer.view.cull = true;
    for (const bool bufferObjects : {true, false}) {
        renderer.frame.geometry.onlyOpenGl11 = !bufferObjects;
        for (const auto& [name, path] : tableLevels()) {
            show(path);
            for (const bool fitted : {false, true}) {
                if (fitted) renderer.fitLevel();
                else lookAt({0, 100, 0}, 0, 100);
                for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals})
                    for (const TableView& view : views) {
                        SCOPED_TRACE(::testing::Message()
                                     << name << (bufferObjects ? "" : ", client arrays") << (fitted ? ", fitted" : "")
                                     << ", " << lookName(look) << ", mode " << view.mode << " '" << view.passes
                                     << "', group " << view.group);
                        renderer.view.look = look;
                        applyView(renderer, view);
                        expectSameFrame();
                    }
            }
        }
    }
}

// Triangles before the camera, their corners counter-clockwise as seen from
// it or the other way round, storing a normal toward the camera, away from
// it or none. One-sided, the stored normal decides what shows, in every
// pass; the corners' order only where nothing is stored.
TEST_F(Render, OneSidedDrawingLeavesOutWhatIsSeenFromBehindByItsNormalNotItsWinding) {
    const Qor::Direction toward{0, -1, 0};
    const Qor::Direction away{0, 1, 0};
    const Qor::Direction none{};
    const std::tuple<Qor::Direction, bool, bool> cases[] = {
        // stored normal, clockwise from the camera, shown one-sided
        {toward, false, true}, {toward, true, true}, {away, false, false},
        {away, true, false},   {none, false, true},  {none, true, false},
    };
    for (const auto& [stored, clockwise, shown] : cases) {
        SCOPED_TRACE(::testing::Message() << "normal y " << stored[1] << (clockwise ? ", clockwise" : ""));
        Qor::LevelContents contents;
        addTriangle(contents, 0, 0, 40, 100, {0, 0, 0, 255, stored, {255, 255, 255}}, clockwise);
        show(contents);
        for (const Look look : {Look::classic, Look::shaded}) {
            renderer.view.look = look;
            renderer.view.cull = false;
            EXPECT_GT(litPixels(expectSameFrame()), 0u);
            renderer.view.cull = true;
            const std::size_t lit = litPixels(expectSameFrame());
            EXPECT_EQ(lit > 0, shown) << lookName(look) << ": " << lit << " pixels";
        }
        // Pointing at it follows the picture.
        EXPECT_EQ(renderer.pointAt(windowSize / 2, windowSize / 2).kind == Hit::Kind::surface, shown);
        renderer.view.cull = false;
        EXPECT_EQ(renderer.pointAt(windowSize / 2, windowSize / 2).kind, Hit::Kind::surface);
    }
}

// One square of two triangles, its corners wound as they come, in one group
// of its own, every corner storing `normal` and `colour`.
void addSquare(Qor::LevelContents& level, std::uint32_t texture, const std::array<std::array<float, 3>, 4>& corners,
               const Qor::Direction& normal, const Qor::Rgb& colour) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [x, y, z] : corners) level.vertices.push_back({x, y, z, 255, normal, colour});
    level.textureGroups.push_back({texture, first, 4, static_cast<std::uint32_t>(3 * level.triangles.size()), 6});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    level.triangles.push_back(Qor::Triangle{{0, 2, 3}});
}

// A closed grey box whose normals face inward, as a level's outer walls and
// sky do, holding a red floor and a green table. Drawn from both sides, the
// box hides them from the fitted view; one-sided, its near walls are seen
// from behind and left out, so they show, and are pointed at. The fitted
// camera is the same either way: only the picture changes.
TEST_F(Render, FittedOneSidedViewShowsWhatAClosedLevelHolds) {
    Qor::LevelContents contents;
    const Qor::Rgb grey{90, 90, 90}, floorRed{255, 0, 0}, tableGreen{0, 255, 0};
    for (std::size_t axis = 0; axis < 3; ++axis)
        for (const float side : {-200.0f, 200.0f}) {
            std::array<std::array<float, 3>, 4> corners{};
            const float across[4][2] = {{-200, -200}, {200, -200}, {200, 200}, {-200, 200}};
            for (std::size_t k = 0; k < 4; ++k) {
                corners[k][axis] = side;
                corners[k][(axis + 1) % 3] = across[k][0];
                corners[k][(axis + 2) % 3] = across[k][1];
            }
            Qor::Direction inward{};
            inward[axis] = side < 0 ? 1.0f : -1.0f;
            addSquare(contents, 0, corners, inward, grey);
        }
    const Qor::Direction up{0, 0, 1};
    addSquare(contents, 1, {{{-150, -150, -100}, {150, -150, -100}, {150, 150, -100}, {-150, 150, -100}}}, up, floorRed);
    addSquare(contents, 2, {{{-50, -50, 0}, {-50, 50, 0}, {50, 50, 0}, {50, -50, 0}}}, up, tableGreen);
    show(contents);
    renderer.view.look = Look::baked;
    renderer.view.showCornerPoints = false;
    std::array<std::size_t, 2> seen[2] = {};  // red and green pixels, both sides and one-sided
    std::uint32_t pointed[2] = {};
    std::array<double, 3> camera[2] = {};
    for (const bool cull : {false, true}) {
        renderer.view.cull = cull;
        renderer.fitLevel();
        camera[cull] = renderer.view.cameraPos;
        for (const Pixel& p : expectSameFrame()) {
            seen[cull][0] += rgbOf(p) == Rgb{255, 0, 0};
            seen[cull][1] += rgbOf(p) == Rgb{0, 255, 0};
        }
        const Hit hit = renderer.pointAt(windowSize / 2, windowSize / 2);
        EXPECT_EQ(hit.kind, Hit::Kind::surface);
        pointed[cull] = hit.group;
    }
    EXPECT_EQ(camera[0], camera[1]);
    EXPECT_EQ(seen[0], (std::array<std::size_t, 2>{0, 0}));
    EXPECT_GT(seen[1][0], 1000u);
    EXPECT_GT(seen[1][1], 200u);
    EXPECT_LT(pointed[0], 6u) << "a wall of the box";
    EXPECT_EQ(pointed[1], 7u) << "the table at the box's centre";
}

// A small triangle of the camera's whose centre shows at (column, row) of
// the window, counted from the bottom left and maybe outside it, at this
// distance along the view.
void addTriangleSeenAt(Qor::LevelContents& level, const Renderer& camera, double column, double row,
                       double distance, std::uint32_t texture) {
    const ViewBasis view = viewBasis(camera.view.cameraPos, camera.view.cameraYaw, camera.view.cameraPitch, windowSize, windowSize);
    const double pixel = 2 * distance * view.halfHeight / windowSize;
    auto at = [&](double x, double y) {
        std::array<float, 3> point{};
        for (std::size_t k = 0; k < 3; ++k)
            point[k] = static_cast<float>(view.eye[k] + distance * view.forward[k] +
                                          (x - windowSize / 2.0) * pixel * view.right[k] +
                                          (y - windowSize / 2.0) * pixel * view.up[k]);
        return Qor::Vertex{point[0], point[1], point[2]};
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
    applyView(renderer, {2, "fwc", -1, -1, 10, 10, 0.1});
    const std::tuple<std::array<double, 3>, double, double> cameras[] = {
        {{0, 0, 0}, 0, 0}, {{30, -70, 20}, 0.7, 0.3}, {{-200, 150, -90}, 2.5, -1.4}, {{10, 10, 10}, -1.2, 1.5},
    };
    const double outside[] = {-2, 1.5, 3, 4.5, 6, 9, 20};  // pixels past the edge
    for (const auto& [position, yaw, pitch] : cameras) {
        renderer.view.cameraPos = position;
        renderer.view.cameraYaw = yaw;
        renderer.view.cameraPitch = pitch;
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
        show(contents);
        for (const std::uint32_t mode : {0u, 1u, 2u}) {
            SCOPED_TRACE(::testing::Message() << "yaw " << yaw << ", pitch " << pitch << ", mode " << mode);
            renderer.view.renderMode = static_cast<RenderMode>(mode);
            EXPECT_GT(litPixels(expectSameFrame()), 0u);
            EXPECT_GT(renderer.frame.geometry.trianglesSent(), 0u);
            EXPECT_LT(renderer.frame.geometry.trianglesSent(), contents.triangles.size());
        }
    }
}

// A wall seen from the camera's bearing (0 head-on), storing a normal, or
// zeros (its corners' order then says -y or, clockwise, +y), and a colour:
// the look's colour at the centre. Shaded lights by the eye, in OpenGL, so
// the light goes with the camera however the arrays were made: a wall shows
// its colour where it faces the eye, darker at a slant but never black, the
// same from behind and whichever way its corners run, as compilers wind them
// either way. Baked and normals are unlit; a stored normal wins over the
// triangle's own.
TEST_F(Render, EachLookColoursSurfacesByWhatTheirVerticesStoreShadedLitByTheEye) {
    const double slant = 80.0 * M_PI / 180.0;
    const Qor::Direction facing{0, -1, 0};
    const Qor::Direction slanted{0.6f, -0.8f, 0.0f};
    const Qor::Direction none{};
    const Qor::Rgb white{255, 255, 255};
    const Rgb own = rgbOf(Qor::unnamedTextureColour(0));
    auto lit = [&](double cosine) { return scaled(own, 0.35 + 0.65 * cosine); };
    const std::tuple<Look, Qor::Direction, Qor::Rgb, bool, double, Rgb> cases[] = {
        // look, stored normal, stored colour, clockwise, the camera's bearing, seen
        {Look::shaded, facing, white, false, 0, own},
        {Look::shaded, facing, white, false, slant, lit(std::cos(slant))},
        {Look::shaded, facing, white, false, M_PI, own},
        {Look::shaded, facing, white, false, M_PI + slant, lit(std::cos(slant))},
        {Look::shaded, slanted, white, false, 0, lit(0.8)},
        {Look::shaded, slanted, white, true, 0, lit(0.8)},
        {Look::normals, none, white, false, 0, {128, 0, 128}},
        {Look::normals, none, white, true, 0, {128, 255, 128}},
        {Look::normals, {0, 0, 1}, white, false, 0, {128, 128, 255}},  // stored as a floor's
        {Look::baked, slanted, {200, 40, 90}, false, 0, {200, 40, 90}},
        {Look::baked, none, {12, 250, 128}, true, 0, {12, 250, 128}},
    };
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    for (const auto& [look, stored, colour, clockwise, bearing, seen] : cases) {
        SCOPED_TRACE(::testing::Message() << lookName(look) << ", bearing " << bearing
                                          << (clockwise ? ", clockwise" : ""));
        Qor::LevelContents contents;
        addTriangle(contents, 0, 0, 60, 100, {0, 0, 0, 255, stored, colour}, clockwise);
        show(contents);
        renderer.view.look = look;
        lookAt({0, 100, 0}, 0, 100);
        frame();  // the arrays, made head-on: only the light may follow the camera
        lookAt({0, 100, 0}, bearing, 100);
        EXPECT_THAT(frame()[pixelOf(0, 0)], IsColour(seen, 2));
    }
}

// Groups of one material share its colour, in any level; each material has
// its own, and a texture without one takes the colour of its index.
TEST_F(Render, ShadedSurfacesTakeTheirMaterialsColourWhateverTheLevel) {
    const std::vector<float> across = {-30, -10, 10, 30};
    auto shown = [&](std::vector<std::uint32_t> textures, std::vector<std::string> names) {
        Qor::LevelContents contents;
        for (std::size_t k = 0; k < textures.size(); ++k) addTriangle(contents, textures[k], across[k], 6, 100);
        for (std::string& name : names) contents.materials.push_back({std::move(name), 0, 1});
        show(contents);
        const std::vector<Pixel> pixels = frame();
        std::vector<Rgb> colours;
        for (const float x : across) colours.push_back(rgbOf(pixels[pixelOf(x, 0)]));
        return colours;
    };
    renderer.view.look = Look::shaded;
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    const std::vector<Rgb> first = shown({0, 1, 2, 7}, {"brick", "brick", "stone"});
    EXPECT_THAT(first[0], IsColour(rgbOf(Qor::materialColour("brick")), 1));
    EXPECT_EQ(first[1], first[0]);
    EXPECT_THAT(first[2], IsColour(rgbOf(Qor::materialColour("stone")), 1));
    EXPECT_NE(first[2], first[0]);
    EXPECT_THAT(first[3], IsColour(rgbOf(Qor::unnamedTextureColour(7)), 1));
    const std::vector<Rgb> second = shown({2, 0, 1, 3}, {"moss", "stone", "brick"});
    EXPECT_EQ(second[0], first[0]) << "brick, now texture 2 of another level";
    EXPECT_EQ(second[2], first[2]) << "stone, now texture 1";
}

std::string arraysWarning(const std::string& bytes) {
    return "WARNING: The level's vertex arrays do not fit in memory, so it is drawn without them, more slowly; "
           "bytes needed: '" + bytes + "'\\.\n";
}

// Staying in classic costs nothing; a look's arrays come the first time it
// is drawn with its fills, stay for the level, and go with it: a new level
// comes with the arrays of the look in use. Arrays that would pass the limit,
// a look's or classic's own, leave the level to the glBegin/glEnd passes,
// with a warning.
TEST_F(Render, ALooksArraysAreMadeTheFirstTimeItsFillsAreDrawnAndGoWithTheLevel) {
    const std::string path = generatedLevel({"bench", "--triangles", "900"});
    show(path);
    const std::size_t classic = renderer.frame.geometry.bytes();
    frame();
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic);
    const std::size_t corners = 3 * 900;
    const std::tuple<Look, bool, std::size_t> steps[] = {
        {Look::shaded, false, 0},                            // fills off: nothing needs them yet
        {Look::shaded, true, corners * 6 * sizeof(float)},   // colours and normals
        {Look::baked, true, corners * 3 * sizeof(float)},    // colours only
        {Look::shaded, true, 0},                             // kept
        {Look::classic, true, 0},
        {Look::normals, true, corners * 3 * sizeof(float)},
    };
    std::size_t expected = classic;
    for (const auto& [look, filled, added] : steps) {
        renderer.view.look = look;
        renderer.view.showFilled = filled;
        frame();
        expected += added;
        EXPECT_EQ(renderer.frame.geometry.bytes(), expected) << lookName(look) << (filled ? "" : ", fills off");
    }
    show(path);
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic + corners * 3 * sizeof(float)) << "normals, in use";
    renderer.view.look = Look::classic;
    show(path);
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic);
    testing::internal::CaptureStderr();
    renderer.frame.geometry.byteLimit = classic + 1;
    renderer.view.look = Look::baked;
    EXPECT_GT(litPixels(expectSameFrame()), 0u);
    EXPECT_EQ(renderer.frame.geometry.bytes(), 0u);
    renderer.frame.geometry.byteLimit = 1000;
    show(path);
    EXPECT_GT(litPixels(expectSameFrame()), 0u);
    EXPECT_EQ(renderer.frame.geometry.bytes(), 0u);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                MatchesRegex(arraysWarning(std::to_string(classic + corners * 3 * sizeof(float))) +
                             arraysWarning("[0-9]+")));
}


// Four solid quadrants of 16 × 16 texels: red at the top left, green at the
// top right, blue at the bottom left, white at the bottom right. Solid
// quadrants keep JPEG's blocks and the filtering at their centres exact.
const std::array<Rgb, 4> quadrantColours = {Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}, Rgb{255, 255, 255}};
constexpr int quadrantImageSide = 32;

Bytes quadrantTexels() {
    Bytes texels(quadrantImageSide * quadrantImageSide * 4, 255);
    for (int y = 0; y < quadrantImageSide; ++y)
        for (int x = 0; x < quadrantImageSide; ++x) {
            const Rgb& colour = quadrantColours[static_cast<std::size_t>((y >= 16) * 2 + (x >= 16))];
            for (std::size_t k = 0; k < 3; ++k)
                texels[static_cast<std::size_t>((y * quadrantImageSide + x) * 4) + k] =
                    static_cast<std::uint8_t>(colour[k]);
        }
    return texels;
}

// The same quadrants as DXT1 blocks with every smaller level down to 1 × 1:
// each block all its first colour (red, green, blue, white in RGB565).
Bytes quadrantDds() {
    const std::array<std::uint16_t, 4> colours = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    Bytes bytes(Qor::Dds::dataOffset, 0);
    std::copy(std::begin(Qor::Dds::magic), std::end(Qor::Dds::magic), bytes.begin());
    putU32(bytes, Qor::Dds::sizeField, Qor::Dds::headerSize);
    putU32(bytes, Qor::Dds::flagsField, Qor::Dds::mipCountSet);
    putU32(bytes, Qor::Dds::heightField, quadrantImageSide);
    putU32(bytes, Qor::Dds::widthField, quadrantImageSide);
    putU32(bytes, Qor::Dds::mipCountField, 6);
    putU32(bytes, Qor::Dds::pixelFormatOffset + Qor::Dds::pfSizeField, Qor::Dds::pixelFormatSize);
    putU32(bytes, Qor::Dds::pixelFormatOffset + Qor::Dds::pfFlagsField, Qor::Dds::pfFourCC);
    bytes[Qor::Dds::pixelFormatOffset + Qor::Dds::pfFourCCField + 0] = 'D';
    bytes[Qor::Dds::pixelFormatOffset + Qor::Dds::pfFourCCField + 1] = 'X';
    bytes[Qor::Dds::pixelFormatOffset + Qor::Dds::pfFourCCField + 2] = 'T';
    bytes[Qor::Dds::pixelFormatOffset + Qor::Dds::pfFourCCField + 3] = '1';
    for (int side = quadrantImageSide; side >= 1; side /= 2) {
        const int blocks = std::max(1, side / 4);
        for (int by = 0; by < blocks; ++by)
            for (int bx = 0; bx < blocks; ++bx) {
                const std::size_t quadrant = static_cast<std::size_t>((2 * by >= blocks) * 2 + (2 * bx >= blocks));
                const std::size_t at = bytes.size();
                bytes.resize(at + 8, 0);  // colour 1 black, every index 0: the first colour
                putU16(bytes, at, colours[quadrant]);
            }
    }
    return bytes;
}

// A square facing the camera at distance 100, from -40 to 40 in x and z,
// its texture coordinates running from (0, 0) at its top left to
// (repeats, repeats) at its bottom right; one group of two triangles.
void addTexturedSquare(Qor::LevelContents& level, std::uint32_t texture, float repeats) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [x, z] : {std::pair(-40.0f, 40.0f), std::pair(40.0f, 40.0f), std::pair(40.0f, -40.0f),
                               std::pair(-40.0f, -40.0f)}) {
        Qor::Vertex& corner = level.vertices.emplace_back();
        corner.x = x;
        corner.y = 100.0f;
        corner.z = z;
        corner.normal = {0.0f, -1.0f, 0.0f};
        corner.texture = {(x + 40.0f) / 80.0f * repeats, (40.0f - z) / 80.0f * repeats};
    }
    level.textureGroups.push_back({texture, first, 4, static_cast<std::uint32_t>(3 * level.triangles.size()), 6});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    level.triangles.push_back(Qor::Triangle{{0, 2, 3}});
}

class TexturedLook : public Render {
protected:
    TexturedLook() {
        renderer.view.look = Look::textured;
        renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    }

    // The level of one square of material `name`, its images looked for in
    // the folder.
    void showSquare(const std::string& name, float repeats = 1.0f) {
        auto layers = std::make_shared<Qor::AssetLayers>();
        EXPECT_THAT(layers->mount(folder.path()), ::testing::IsEmpty());
        renderer.assets = layers;
        Qor::LevelContents contents;
        addTexturedSquare(contents, 0, repeats);
        contents.materials.push_back({name, 0, 1});
        show(contents);
    }

    TempFolder folder;
};

TEST_F(TexturedLook, EveryImageFormatShowsItsTexelsWhereItsCoordinatesPutThemTheRightWayUp) {
    const Bytes texels = quadrantTexels();
    const std::pair<std::string, Bytes> images[] = {
        {"png", pngOf(quadrantImageSide, quadrantImageSide, texels)},
        {"tga", tgaOf(quadrantImageSide, quadrantImageSide, texels, false)},
        {"tga", tgaOf(quadrantImageSide, quadrantImageSide, texels, true)},
        {"bmp", bmpOf(quadrantImageSide, quadrantImageSide, texels)},
        {"jpg", jpegOf(quadrantImageSide, quadrantImageSide, texels)},
        {"dds", quadrantDds()},
    };
    int made = 0;
    for (const auto& [extension, bytes] : images) {
        SCOPED_TRACE(extension);
        const std::string name = "textures/crafted/image" + std::to_string(made++);
        folder.write(name + "." + extension, bytes);
        showSquare(name);
        const std::vector<Pixel> pixels = expectSameFrame();
        EXPECT_EQ(foundImages(renderer.frame.textures.images()), 1u);
        // Lit head-on, a surface shows its texels as they are.
        const int tolerance = extension == "jpg" ? 6 : 1;
        EXPECT_THAT(pixels[pixelOf(-20, 20)], IsColour(quadrantColours[0], tolerance));
        EXPECT_THAT(pixels[pixelOf(20, 20)], IsColour(quadrantColours[1], tolerance));
        EXPECT_THAT(pixels[pixelOf(-20, -20)], IsColour(quadrantColours[2], tolerance));
        EXPECT_THAT(pixels[pixelOf(20, -20)], IsColour(quadrantColours[3], tolerance));
    }
}

TEST_F(TexturedLook, CoordinatesPastOneRepeatTheImage) {
    folder.write("textures/crafted/quadrants.png", pngOf(quadrantImageSide, quadrantImageSide, quadrantTexels()));
    showSquare("textures/crafted/quadrants", 2.0f);
    const std::vector<Pixel> pixels = expectSameFrame();
    // Each quarter of the square holds the whole image.
    for (const float x : {-30.0f, 10.0f})
        for (const float z : {30.0f, -10.0f}) EXPECT_THAT(pixels[pixelOf(x, z)], IsColour(quadrantColours[0], 1));
    EXPECT_THAT(pixels[pixelOf(-10, -30)], IsColour(quadrantColours[3], 1));
}

TEST_F(TexturedLook, AMaterialWithoutAnImageShowsAnEightByEightCheckerboardOfItsColour) {
    showSquare("textures/crafted/nowhere");
    const std::vector<Pixel> pixels = expectSameFrame();
    EXPECT_EQ(foundImages(renderer.frame.textures.images()), 0u);
    const Rgb colour = rgbOf(Qor::materialColour("textures/crafted/nowhere"));
    for (int column = 0; column < 8; ++column)
        for (int row = 0; row < 8; ++row) {
            const auto x = static_cast<float>(-40.0 + 10.0 * (column + 0.5));
            const auto z = static_cast<float>(40.0 - 10.0 * (row + 0.5));
            const Rgb wanted = (column + row) % 2 == 0 ? colour : scaled(colour, 191.0 / 255.0);
            EXPECT_THAT(pixels[pixelOf(x, z)], IsColour(wanted, 1)) << "cell " << column << ", " << row;
        }
}

TEST_F(TexturedLook, OtherLooksDrawAsBeforeAndTheTexturedLookLeavesNoStateBehind) {
    folder.write("textures/crafted/quadrants.png", pngOf(quadrantImageSide, quadrantImageSide, quadrantTexels()));
    showSquare("textures/crafted/quadrants");
    renderer.view.look = Look::shaded;
    const std::vector<Pixel> shadedBefore = expectSameFrame();
    EXPECT_FALSE(renderer.frame.textures.uploaded());  // nothing is handed to OpenGL before the look is drawn
    renderer.view.look = Look::textured;
    expectSameFrame();
    EXPECT_TRUE(renderer.frame.textures.uploaded());
    renderer.view.look = Look::shaded;
    EXPECT_EQ(expectSameFrame(), shadedBefore);
}

}  // namespace
