#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "DrawingTables.h"
#include "MaterialColours.h"
#include "Normals.h"
#include "Renderer.h"
#include "SurfaceLooks.h"
#include "TestSupport.h"

// The looks other than classic, drawn in real windows as the run loop draws
// them and read back before the swap. The camera starts at the origin
// looking along +y, z up; a 45-degree view in a square window.

namespace {

using Rgb = std::array<int, 3>;
constexpr int windowSize = 200;
const Qor::Direction facingTheCamera{0.0f, -1.0f, 0.0f};
const Qor::Direction none{0.0f, 0.0f, 0.0f};
const std::array<std::uint8_t, 3> white{255, 255, 255};

MATCHER_P2(IsColour, wanted, tolerance, "") {
    for (std::size_t k = 0; k < 3; ++k)
        if (std::abs(arg[k] - wanted[k]) > tolerance) return false;
    return true;
}

Rgb rgbOf(const Qor::Rgb& bytes) { return {bytes[0], bytes[1], bytes[2]}; }

Rgb scaled(const Rgb& colour, double factor) {
    Rgb out{};
    for (std::size_t k = 0; k < 3; ++k) out[k] = static_cast<int>(std::lround(colour[k] * factor));
    return out;
}

int brightness(const Rgb& colour) { return colour[0] + colour[1] + colour[2]; }

// One group owning one upright triangle across the view at this distance,
// centred on (x, distance, 0) and reaching `half` to either side and up and
// down, its corners counter-clockwise seen from the camera (so its face
// normal is -y), or the other way round.
void addWall(Qor::LevelContents& level, std::uint32_t texture, float x, float half, float distance,
             const Qor::Direction& normal, const std::array<std::uint8_t, 3>& colour = white,
             bool clockwise = false) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    auto corner = [&](float cx, float cz) { return Qor::Vertex{cx, distance, cz, 255, normal, colour}; };
    level.vertices.insert(level.vertices.end(),
                          {corner(x - half, -half), corner(x + half, -half), corner(x, half)});
    const auto firstIndex = static_cast<std::uint32_t>(3 * level.triangles.size());
    level.textureGroups.push_back({texture, first, 3, firstIndex, 3});
    level.triangles.push_back(clockwise ? Qor::Triangle{{0, 2, 1}} : Qor::Triangle{{0, 1, 2}});
}

std::vector<Qor::Material> materials(std::vector<std::string> names) {
    std::vector<Qor::Material> out;
    for (std::string& name : names) out.push_back({std::move(name), 0, 1});
    return out;
}

class Looks : public ::testing::Test {
protected:
    ~Looks() override { shutdownVideo(); }

    void show(const Qor::LevelContents& contents) {
        show(testsupport::writeLevel("looks.d3dbsp", contents));
    }

    void show(const std::string& path) {
        level = std::make_unique<Qor::BSP>("", path.c_str());
        renderer.setLevel(level.get());
    }

    // One frame on the renderer's drawing path, RGBA, rows from the bottom.
    std::vector<std::uint8_t> frame() {
        clearFrame();
        renderer.drawFrame();
        std::vector<std::uint8_t> rgba(windowSize * windowSize * 4);
        glReadPixels(0, 0, windowSize, windowSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    // The colour at the centre of a new frame.
    Rgb pixel() {
        const std::vector<std::uint8_t> rgba = frame();
        const std::size_t at = (windowSize / 2 * windowSize + windowSize / 2) * 4;
        return {rgba[at], rgba[at + 1], rgba[at + 2]};
    }

    // The camera `distance` from `target` on the side the horizontal
    // direction `bearing` (radians; 0 along -y, growing toward +x) points to,
    // looking back at it.
    void lookAt(const std::array<double, 3>& target, double bearing, double distance) {
        renderer.cameraPos = {target[0] + distance * std::sin(bearing), target[1] - distance * std::cos(bearing),
                              target[2]};
        renderer.cameraYaw = -bearing;
        renderer.cameraPitch = 0.0;
    }

    bool displayHeld = testsupport::holdDisplay();
    Renderer renderer{"", {windowSize, windowSize}};
    std::unique_ptr<Qor::BSP> level;
};

// Classic's start-up view and look, with fills alone unless a test says otherwise.
class SurfaceLooks : public Looks {
protected:
    SurfaceLooks() { renderer.showWireframe = renderer.showCornerPoints = false; }
};

// A wall in its material's colour where it faces the eye, darker seen at a
// slant, the same from behind, and never black: the light goes with the
// camera, so only the camera moves here, and the arrays stay as first made.
TEST_F(SurfaceLooks, ShadedSurfacesAreLitByTheEyeFromEitherSideAndNeverBlack) {
    Qor::LevelContents contents;
    addWall(contents, 0, 0, 60, 100, facingTheCamera);
    contents.materials = materials({"walls/plaster"});
    show(contents);
    renderer.look = Look::shaded;
    const Rgb own = rgbOf(Qor::materialColour("walls/plaster"));

    const Rgb faced = pixel();
    EXPECT_THAT(faced, IsColour(own, 1));
    const std::size_t arrays = renderer.geometry.bytes();
    const double slant = 80.0 * M_PI / 180.0;
    lookAt({0, 100, 0}, slant, 100);
    const Rgb slanted = pixel();
    EXPECT_THAT(slanted, IsColour(scaled(own, 0.35 + 0.65 * std::cos(slant)), 2));
    EXPECT_LT(brightness(slanted), brightness(faced));
    EXPECT_GT(std::min({slanted[0], slanted[1], slanted[2]}), 20);
    lookAt({0, 100, 0}, M_PI, 100);
    EXPECT_THAT(pixel(), IsColour(faced, 1)) << "from behind";
    lookAt({0, 100, 0}, M_PI + slant, 100);
    EXPECT_THAT(pixel(), IsColour(slanted, 1)) << "from behind at a slant";
    EXPECT_EQ(renderer.geometry.bytes(), arrays);
}

// Groups of one material share its colour, in any level; each material has
// its own, and a texture without one takes the colour of its index.
TEST_F(SurfaceLooks, ShadedSurfacesTakeTheirMaterialsColourWhateverTheLevel) {
    const std::vector<float> across = {-30, -10, 10, 30};
    auto shown = [&](std::vector<std::uint32_t> textures, std::vector<std::string> names) {
        Qor::LevelContents contents;
        for (std::size_t k = 0; k < textures.size(); ++k) addWall(contents, textures[k], across[k], 6, 100, none);
        contents.materials = materials(std::move(names));
        show(contents);
        renderer.look = Look::shaded;
        const std::vector<std::uint8_t> rgba = frame();
        std::vector<Rgb> colours;
        for (const float x : across) {
            const auto column = static_cast<std::size_t>((x / (100 * std::tan(M_PI / 8)) + 1) * windowSize / 2);
            const std::size_t at = ((windowSize / 2) * windowSize + column) * 4;
            colours.push_back({rgba[at], rgba[at + 1], rgba[at + 2]});
        }
        return colours;
    };
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

// A wall seen head-on, storing a normal, or zeros (its corners' order then
// says -y or, clockwise, +y), and a colour: the look's colour at the centre.
// Shaded lights a wall the same whichever way its corners run, as compilers
// wind them either way; baked and normals are unlit.
TEST_F(SurfaceLooks, EachLookColoursSurfacesByWhatTheirVerticesStore) {
    const Qor::Direction slanted{0.6f, -0.8f, 0.0f};
    const std::array<std::uint8_t, 3> pink{200, 40, 90};
    const Rgb lit = scaled(rgbOf(Qor::unnamedTextureColour(0)), 0.35 + 0.65 * 0.8);
    const std::tuple<Look, Qor::Direction, std::array<std::uint8_t, 3>, bool, Rgb> cases[] = {
        {Look::shaded, slanted, white, false, lit},   {Look::shaded, slanted, white, true, lit},
        {Look::normals, none, white, false, {128, 0, 128}}, {Look::normals, none, white, true, {128, 255, 128}},
        {Look::baked, slanted, pink, false, {200, 40, 90}},  {Look::baked, none, {12, 250, 128}, true, {12, 250, 128}},
    };
    for (const auto& [look, stored, colour, clockwise, seen] : cases) {
        Qor::LevelContents contents;
        addWall(contents, 0, 0, 60, 100, stored, colour, clockwise);
        show(contents);
        renderer.look = look;
        EXPECT_THAT(pixel(), IsColour(seen, 2)) << lookName(look) << (clockwise ? ", clockwise" : "");
    }
    // A floor storing +z, seen from above.
    Qor::LevelContents floor;
    floor.vertices = {{-100, -100, 0, 255, {0, 0, 1}, white}, {100, -100, 0, 255, {0, 0, 1}, white},
                      {0, 100, 0, 255, {0, 0, 1}, white}};
    floor.textureGroups = {{0, 0, 3, 0, 3}};
    floor.triangles = {Qor::Triangle{{0, 1, 2}}};
    show(floor);
    renderer.look = Look::normals;
    renderer.cameraPos = {0, 0, 50};
    renderer.cameraPitch = -1.5;
    EXPECT_THAT(pixel(), IsColour((Rgb{128, 128, 255}), 2));
}

// The near triangle is drawn first: without a depth test the far one,
// drawn over it, would show or add up. The render mode and the fill alpha
// have no say in these looks.
TEST_F(SurfaceLooks, OpaqueLooksHideFarSurfacesBehindNearOnesInEveryRenderMode) {
    Qor::LevelContents both;
    addWall(both, 0, 0, 30, 100, facingTheCamera, {250, 10, 10});
    addWall(both, 1, 0, 120, 200, facingTheCamera, {10, 250, 10});
    Qor::LevelContents nearOnly = both;
    nearOnly.textureGroups.pop_back();
    for (const Look look : {Look::shaded, Look::baked, Look::normals}) {
        renderer.look = look;
        renderer.renderMode = 0;
        renderer.fillAlpha = 1;
        show(nearOnly);
        const Rgb alone = pixel();
        show(both);
        for (const std::uint32_t mode : {0u, 1u, 2u}) {
            renderer.renderMode = mode;
            renderer.fillAlpha = 0.1 * mode;
            EXPECT_EQ(pixel(), alone) << lookName(look) << ", mode " << mode;
        }
    }
}

// A floor seen at a slant, its outlines drawn over it: every pixel the
// outlines light on their own keeps their colour over the surface. (It lies
// inside the view: where the view's sides cut a line and a triangle, the two
// cuts' depths can differ by more than any offset.)
TEST_F(Looks, OutlinesLyingOnSurfacesShowAlongTheirWholeLength) {
    Qor::LevelContents contents;
    for (int k = 0; k < 4; ++k) {
        const float x = -36.0f + 18.0f * static_cast<float>(k);
        const auto first = static_cast<std::uint32_t>(contents.vertices.size());
        contents.vertices.push_back({x, 100, -40, 255, {0, 0, 1}, white});
        contents.vertices.push_back({x + 18, 100, -40, 255, {0, 0, 1}, white});
        contents.vertices.push_back({x + 9, 300, -40, 255, {0, 0, 1}, white});
        contents.textureGroups.push_back({6, first, 3, static_cast<std::uint32_t>(3 * k), 3});
        contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    }
    show(contents);
    renderer.showCornerPoints = false;
    renderer.renderMode = 0;
    renderer.cameraPitch = -0.3;
    const Rgb red{255, 0, 0};  // the outlines of texture 6
    for (const Look look : {Look::shaded, Look::baked, Look::normals}) {
        renderer.look = look;
        renderer.showFilled = false;
        const std::vector<std::uint8_t> lines = frame();
        renderer.showFilled = true;
        const std::vector<std::uint8_t> over = frame();
        std::size_t outlined = 0;
        std::size_t kept = 0;
        for (std::size_t at = 0; at < lines.size(); at += 4) {
            if (Rgb{lines[at], lines[at + 1], lines[at + 2]} != red) continue;
            ++outlined;
            kept += Rgb{over[at], over[at + 1], over[at + 2]} == red;
        }
        EXPECT_GT(outlined, 500u) << lookName(look);
        EXPECT_EQ(kept, outlined) << lookName(look);
    }
}

// What the end of every frame leaves, in every look: nothing of a look's
// own state, no array and no buffer.
void expectNoLookStateLeft() {
    for (const GLenum name : {GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_COLOR_MATERIAL, GL_POLYGON_OFFSET_FILL,
                              GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_VERTEX_ARRAY, GL_DEPTH_TEST})
        EXPECT_FALSE(glIsEnabled(name)) << "GL state " << name;
    GLint bound[2] = {-1, -1};
    glGetIntegerv(GL_NORMAL_ARRAY_BUFFER_BINDING, &bound[0]);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound[1]);
    EXPECT_EQ(bound[0] + bound[1], 0);
}

// The arrays draw each look as the glBegin/glEnd passes do, from buffer
// objects and from client arrays alike, for every pass and selection, from
// the start and from where the whole level shows.
TEST_F(Looks, ArraysDrawEveryLookAsTheImmediatePassesDo) {
    // The fill alpha changes from view to view, and must change nothing.
    const TableView views[] = {
        {2, "fwc", -1, -1, 1, 1, 0.1}, {0, "pfwc", -1, -1, 3.5f, 2.5f, 0.5}, {1, "f", -1, -1, 1, 1, 0.7},
        {2, "fc", 1, -1, 2, 1, 0},     {0, "fw", 0, 1, 1, 4, 0.3},           {1, "pfwc", 3, 0, 1.5f, 1.5f, 2},
        {2, "wc", -1, -1, 10, 10, 0.1},
    };
    const std::vector<std::pair<std::string, std::string>> levels = tableLevels();
    for (const bool bufferObjects : {true, false}) {
        renderer.geometry.onlyOpenGl11 = !bufferObjects;
        for (const auto& [name, path] : levels) {
            show(path);
            for (const bool fitted : {false, true}) {
                if (fitted) renderer.fitLevel();
                else lookAt({0, 100, 0}, 0, 100);  // the start
                for (const Look look : {Look::shaded, Look::baked, Look::normals})
                    for (const TableView& view : views) {
                        SCOPED_TRACE(::testing::Message()
                                     << name << (bufferObjects ? "" : ", client arrays") << (fitted ? ", fitted" : "")
                                     << ", " << lookName(look) << ", mode " << view.mode << " '" << view.passes
                                     << "', group " << view.group << ", plane " << view.plane);
                        renderer.look = look;
                        applyView(renderer, view);
                        std::vector<std::uint8_t> frames[2];
                        for (const DrawPath drawPath : {DrawPath::immediate, DrawPath::buffered}) {
                            renderer.drawPath = drawPath;
                            frames[drawPath == DrawPath::buffered] = frame();
                            expectNoLookStateLeft();
                        }
                        const auto differs = std::mismatch(frames[0].begin(), frames[0].end(), frames[1].begin());
                        const auto at = (differs.first - frames[0].begin()) / 4;
                        EXPECT_EQ(at, windowSize * windowSize) << "first difference in column " << at % windowSize
                                                               << ", row " << at / windowSize << " from the bottom";
                    }
            }
        }
    }
}

// Staying in classic costs nothing; a look's arrays come the first time it
// is drawn with its fills, stay for the level, and go with it: a new level
// comes with the arrays of the look in use.
TEST_F(Looks, ALooksArraysAreMadeTheFirstTimeItsFillsAreDrawnAndGoWithTheLevel) {
    const std::string path = generatedLevel({"bench", "--triangles", "900"});
    show(path);
    const std::size_t classic = renderer.geometry.bytes();
    frame();
    EXPECT_EQ(renderer.geometry.bytes(), classic);
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
        renderer.look = look;
        renderer.showFilled = filled;
        frame();
        expected += added;
        EXPECT_EQ(renderer.geometry.bytes(), expected) << lookName(look) << (filled ? "" : ", fills off");
    }
    show(path);
    EXPECT_EQ(renderer.geometry.bytes(), classic + corners * 3 * sizeof(float)) << "normals, in use";
    renderer.look = Look::classic;
    show(path);
    EXPECT_EQ(renderer.geometry.bytes(), classic);
    // A look whose arrays would pass the limit leaves the level to the
    // glBegin/glEnd passes, with the warning.
    renderer.geometry.byteLimit = classic + 1;
    renderer.look = Look::baked;
    testing::internal::CaptureStderr();
    EXPECT_NE(frame(), std::vector<std::uint8_t>(windowSize * windowSize * 4));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: The level's vertex arrays do not fit in memory, so it is drawn without them, more slowly; "
              "bytes needed: '" + std::to_string(classic + corners * 3 * sizeof(float)) + "'.\n");
    EXPECT_EQ(renderer.geometry.bytes(), 0u);
}

// From the state every frame leaves, each look and render mode tests depth
// exactly when depthTested says so.
TEST_F(Looks, TheFrameTestsDepthInEveryLookButClassicAndInClassicsOpaqueMode) {
    for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals})
        for (const std::uint32_t mode : {0u, 1u, 2u, 7u}) {
            glEnable(GL_BLEND);
            glDisable(GL_DEPTH_TEST);
            setFrameState(mode, look);
            const bool tested = depthTested(mode, look);
            EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, tested) << lookName(look) << ", mode " << mode;
            EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, !tested) << lookName(look) << ", mode " << mode;
            EXPECT_EQ(tested, look != Look::classic || (mode != 1 && mode != 2));
        }
}

}  // namespace
