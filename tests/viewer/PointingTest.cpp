#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "BSP.h"
#include "CameraRequest.h"
#include "Pointing.h"
#include "Renderer.h"
#include "TestSupport.h"

// Pointing: the nearest triangle or marker on a ray, and the line --pick
// prints.

namespace {

using testsupport::runProcess;
using testsupport::viewerBinary;

constexpr double degree = M_PI / 180.0;

// A floor (z -10, triangles 0 and 1), a wall across the view at y 500
// (triangle 2) that group 2 draws again, two copies of one small triangle
// before the wall at y 300, above the eye's level (3 and 4), a triangle with
// a corner that is no number in front of everything (5), a group that is not
// whole triangles (6) and a triangle with a corner past the vertices (7).
Qor::LevelContents pointingLevel() {
    Qor::LevelContents level;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    level.vertices = {{-100, 0, -10}, {100, 0, -10}, {100, 1000, -10}, {-100, 1000, -10},
                      {-50, 500, -10}, {50, 500, -10}, {0, 500, 90},
                      {-10, 300, 2},  {10, 300, 2},  {0, 300, 22},
                      {-5, 200, -5},  {5, 200, -5},  {0, 200, nan},
                      {-5, 100, -5},  {5, 100, -5},  {0, 100, 5}};
    level.triangles = {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 2, 3}}, Qor::Triangle{{4, 5, 6}},
                       Qor::Triangle{{7, 8, 9}}, Qor::Triangle{{7, 8, 9}}, Qor::Triangle{{10, 11, 12}},
                       Qor::Triangle{{13, 14, 15}}, Qor::Triangle{{13, 14, 99}}};
    level.textureGroups = {{0, 0, 4, 0, 6}, {1, 0, 3, 6, 3}, {2, 0, 3, 6, 3}, {3, 0, 3, 9, 6},
                           {4, 0, 3, 15, 3}, {5, 0, 3, 18, 4}, {6, 0, 3, 21, 3}};
    level.materials = {{"floor"}, {"wall"}};
    return level;
}

Ray towards(const Vector3& from, const Vector3& to) {
    Vector3 direction{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const double length = std::sqrt(dot(direction, direction));
    for (double& d : direction) d /= length;
    return Ray{from, direction};
}

TEST(PickScene, FindsTheNearestDrawnTriangleOrMarkerAndBreaksTiesByGroupThenTriangle) {
    const Qor::BSP level("", testsupport::writeLevel("pointing.d3dbsp", pointingLevel()).c_str());
    PickScene scene;
    EXPECT_FALSE(scene.built());
    const Vector3 eye{0, 0, 0};
    const Vector3 ahead{0, 1000, 0};
    using Markers = std::vector<Qor::Marker>;
    const auto marker = [](std::size_t entity, Vector3 at) { return Qor::Marker{entity, at, Qor::EntityKind::other}; };
    const Markers inFront = {marker(0, {0, 600, 0}), marker(3, {0, 400, 0})};
    const Markers onTheWall = {marker(1, {0, 508, 0})};
    const Markers aroundTheEye = {marker(2, {0, 3, 0})};
    struct Case {
        const char* what;
        Ray ray;
        double far;
        std::optional<std::uint32_t> single;
        const Markers* markers;
        std::string hit;  // "s G T" or "e N", or "-"
        Vector3 point;
    };
    const Case cases[] = {
        {"the wall, drawn by two groups", towards(eye, ahead), 10000, {}, nullptr, "s 1 2", {0, 500, 0}},
        {"a triangle drawn twice in a group, before the wall", towards(eye, {0, 300, 5}), 10000, {}, nullptr, "s 3 3",
         {0, 300, 5}},
        {"past the triangle that is no number", towards(eye, {0, 200, -6}), 10000, {}, nullptr, "s 0 0",
         {0, 333.3333333, -10}},
        {"behind the eye", towards(eye, {0, -100, 0}), 10000, {}, nullptr, "-", {}},
        {"the wall beyond the far distance", towards(eye, ahead), 499.9, {}, nullptr, "-", {}},
        {"the wall just within it", towards(eye, ahead), 500.1, {}, nullptr, "s 1 2", {0, 500, 0}},
        {"only the second group of the wall", towards(eye, ahead), 10000, 2u, nullptr, "s 2 2", {0, 500, 0}},
        {"only a group that is not whole triangles", towards(eye, {0, 100, 0}), 10000, 5u, nullptr, "-", {}},
        {"a group past the last", towards(eye, ahead), 10000, 7u, nullptr, "-", {}},
        {"the nearest marker before the wall", towards(eye, ahead), 10000, {}, &inFront, "e 3", {0, 392, 0}},
        {"a marker on the wall's face", towards(eye, ahead), 10000, {}, &onTheWall, "e 1", {0, 500, 0}},
        {"a marker around the eye", towards(eye, ahead), 10000, {}, &aroundTheEye, "e 2", {0, 11, 0}},
        {"markers beyond the far distance", towards(eye, ahead), 300, {}, &inFront, "-", {}},
        {"a marker missed", towards(eye, {20, 400, 0}), 10000, {}, &inFront, "s 1 2", {25, 500, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PickQuery query{c.ray, c.far, c.single.has_value(), c.single.value_or(0), c.markers, false};
        const Hit hit = scene.cast(level, query);
        std::string got = "-";
        if (hit.kind == Hit::Kind::surface) got = "s " + std::to_string(hit.group) + ' ' + std::to_string(hit.triangle);
        if (hit.kind == Hit::Kind::entity) got = "e " + std::to_string(hit.entity);
        EXPECT_EQ(got, c.hit);
        if (hit.kind == Hit::Kind::nothing) continue;
        EXPECT_THAT(hit.point, testing::Pointwise(testing::DoubleNear(1e-4), c.point));
        EXPECT_NEAR(hit.distance, distanceBetween(c.ray.origin, c.point), 1e-4);
    }
    // Triangles 5 (a corner no number) and 7 (a corner outside) are left
    // out, and so is group 5's; triangle 2 is there for each of its groups.
    EXPECT_TRUE(scene.built());
    EXPECT_EQ(scene.triangleCount(), 6u);
    scene.release();
    EXPECT_FALSE(scene.built());
}

// Three walls across the view, each its own group, each corner-wound
// counter-clockwise seen from the eye at the origin: at y 200 its normals
// face away from the eye, at y 300 they sum to nothing (no front: it shows
// from both sides), at y 500 they face the eye. With one-sided drawing a ray
// passes through a wall it meets from behind.
TEST(PickScene, WithOneSidedDrawingPassesThroughTrianglesMetFromBehind) {
    Qor::LevelContents contents;
    const std::array<std::array<float, 3>, 3> away = {{{0, 1, 0}, {0, 1, 0}, {0, 1, 0}}};
    const std::array<std::array<float, 3>, 3> cancelling = {{{1, 0, 0}, {-0.5f, 0, 0.8660254f}, {-0.5f, 0, -0.8660254f}}};
    const std::array<std::array<float, 3>, 3> towardTheEye = {{{0, -1, 0}, {0, -1, 0}, {0, -1, 0}}};
    for (const auto& [y, normals] : {std::make_pair(200.0f, away), std::make_pair(300.0f, cancelling),
                                     std::make_pair(500.0f, towardTheEye)}) {
        const auto first = static_cast<std::uint32_t>(contents.vertices.size());
        const auto group = static_cast<std::uint32_t>(contents.textureGroups.size());
        const float corners[3][2] = {{-100, -100}, {100, -100}, {0, 100}};
        for (std::size_t k = 0; k < 3; ++k) {
            Qor::Vertex corner{corners[k][0], y, corners[k][1]};
            corner.normal = normals[k];
            contents.vertices.push_back(corner);
        }
        contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
        contents.textureGroups.push_back({group, first, 3, 3 * group, 3});
    }
    const Qor::BSP level("", testsupport::writeLevel("one-sided.d3dbsp", contents).c_str());
    PickScene scene;
    const Vector3 eye{0, 0, 0};
    const Vector3 beyond{0, 1000, 0};
    struct Case {
        const char* what;
        Ray ray;
        std::optional<std::uint32_t> single;
        bool cull;
        std::string hit;  // "G T", or "-"
    };
    const Case cases[] = {
        {"both sides: the nearest", towards(eye, {0, 1, 0}), {}, false, "0 0"},
        {"one-sided: through the first, to the one without a front", towards(eye, {0, 1, 0}), {}, true, "1 1"},
        {"one-sided, only the first: nothing", towards(eye, {0, 1, 0}), 0u, true, "-"},
        {"one-sided, only the last: met from the front", towards(eye, {0, 1, 0}), 2u, true, "2 2"},
        {"from beyond, both sides", towards(beyond, eye), {}, false, "2 2"},
        {"from beyond, one-sided: through the last", towards(beyond, eye), {}, true, "1 1"},
        {"from beyond, one-sided, only the first: met from the front", towards(beyond, eye), 0u, true, "0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PickQuery query{c.ray, 10000, c.single.has_value(), c.single.value_or(0), nullptr, c.cull};
        const Hit hit = scene.cast(level, query);
        EXPECT_EQ(hit.kind == Hit::Kind::surface ? std::to_string(hit.group) + ' ' + std::to_string(hit.triangle) : "-",
                  c.hit);
    }
}

// The hits of pixels of the demo level worked out by hand, in its starting
// view, 800 x 600, unless the line says otherwise. Half a pixel off the
// centre, the ray runs 0.5 / 400 × tan 22.5° × 4/3 = 0.00069036 across and
// as much down per unit ahead; a row r runs (1 − (r + 0.5) / 300) × tan 22.5°
// up.
TEST(DemoPicks, PrintTheHitUnderThePixelAfterTheLastFrame) {
    const std::string demo = testsupport::generatedLevel({"demo"});
    const std::string oddWindow = testsupport::writeTemp("odd.settings", "width=801\nheight=601\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // The tower's front face at y 1500: 1500 × 0.00069036 = 1.04 across and down.
        {{"--pick", "400,300"},
         "pick: 400 300 group 13 triangle 408 material 'demo/tower_stone' at 1.04 1500.00 -1.04 distance 1500.00"},
        // Row 500 runs 0.276836 down: the street (z −60) 216.74 ahead, 224.89 away,
        // left of the tile's diagonal.
        {{"--pick=400,500"},
         "pick: 400 500 group 0 triangle 9 material 'demo/street_tiles_a' at 0.15 216.74 -60.00 distance 224.89"},
        // Row 261 runs 0.053157 up: the named point's cube (y 752 to 768, z 32 to
        // 48) in front of the tower, at z 752 × 0.053157 = 39.97.
        {{"--entities", "--pick", "400,261"},
         "pick: 400 261 entity 7 'target_position' at 0.52 752.00 39.97 distance 753.06"},
        // The same without a window.
        {{"--offscreen", "--entities", "--pick", "400,261"},
         "pick: 400 261 entity 7 'target_position' at 0.52 752.00 39.97 distance 753.06"},
        // Row 10 passes over the tower's roof at 1500 × 0.39972 = 599.6.
        {{"--pick", "400,10"}, "pick: 400 10 nothing"},
        // The centre of an odd window looking 20° down from the origin meets the
        // street at 60 / tan 20° = 164.85 ahead, 60 / sin 20° = 175.43 away,
        // just on the edge x = 0 between two tiles' triangles 6 and 9: the
        // lower one.
        {{"--settings", oddWindow, "--camera", "0,0,0,0,-20", "--pick", "400,300"},
         "pick: 400 300 group 0 triangle 6 material 'demo/street_tiles_a' at 0.00 164.85 -60.00 distance 175.43"},
    };
    for (const auto& [options, line] : cases) {
        std::vector<std::string> argv = {viewerBinary(), "--frames", "2", demo};
        argv.insert(argv.end(), options.begin(), options.end());
        const auto run = runProcess(argv);
        EXPECT_EQ(run.exitStatus, 0) << line;
        EXPECT_THAT(run.out, testing::MatchesRegex(line + "\nframes: 2 mean_ms: [0-9.]+\n"));
        EXPECT_EQ(run.err, "");
    }
}

// In the running viewer the selected group alone is pointed at.
TEST(DemoPicks, HonourTheSingleGroupSelection) {
    Renderer renderer({800, 600});
    Qor::BSP level("", testsupport::generatedLevel({"demo"}).c_str());
    renderer.setLevel(&level);
    renderer.view.singleGroup = true;
    const std::pair<std::uint32_t, std::string> cases[] = {
        {13, "pick: 400 300 group 13 triangle 408 material 'demo/tower_stone' at 1.04 1500.00 -1.04 distance 1500.00"},
        {12, "pick: 400 300 nothing"},  // under the arch
    };
    for (const auto& [group, line] : cases) {
        renderer.view.selectedGroup = group;
        EXPECT_EQ(pickLine(400, 300, renderer.pointAt(400, 300), level), line);
    }
    shutdownVideo();
}

TEST(PickOption, RefusesAPixelOutsideTheWindowOrNotTwoWholeNumbersOrWithoutAWindow) {
    const std::string missing = testsupport::tempPath("none.d3dbsp");
    const std::string small = testsupport::writeTemp("small.settings", "width=100\nheight=50\n");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--pick", "800,0"}, "orvandel: --pick: pixel '800,0' lies outside the window of '800' by '600' pixels\n"},
        {{"--size", "100,50", "--pick", "0,50"},
         "orvandel: --pick: pixel '0,50' lies outside the window of '100' by '50' pixels\n"},
        {{"--settings", small, "--pick", "99,50"},
         "orvandel: --pick: pixel '99,50' lies outside the window of '100' by '50' pixels\n"},
        {{"--pick", "1,2,3"}, "orvandel: --pick: expected X,Y, two whole numbers from 0, not '1,2,3'\n"},
        {{"--pick=-1,0"}, "orvandel: --pick: expected X,Y, two whole numbers from 0, not '-1,0'\n"},
        {{"--pick", "5"}, "orvandel: --pick: expected X,Y, two whole numbers from 0, not '5'\n"},
        {{"--pick", "9999999999,1"},
         "orvandel: --pick: expected X,Y, two whole numbers from 0, not '9999999999,1'\n"},
        {{"--info", "--pick", "1,1"}, "orvandel: option '--pick' needs a window, not '--info'\n"},
        {{"--export", "out.glb", "--pick", "1,1"}, "orvandel: option '--pick' needs a window, not '--export'\n"},
    };
    for (const auto& [options, error] : refused) {
        std::vector<std::string> argv = {viewerBinary(), missing};
        argv.insert(argv.end(), options.begin(), options.end());
        const auto run = runProcess(argv);
        EXPECT_EQ(run.exitStatus, 2) << error;
        EXPECT_EQ(run.err, error);
        EXPECT_EQ(run.out, "");
    }
}

// In degrees, in plain digits, as few as give the camera back.
TEST(CameraArgument, IsWrittenInDegreesInAsFewDigitsAsDo) {
    EXPECT_EQ(cameraArgument({0, -40, 0.5}, 90 * degree, pitchFromDegrees(-20)), "--camera 0,-40,0.5,90,-20");
    EXPECT_EQ(cameraArgument({1e6, -1e-7, 3}, -720 * degree, pitchLimit), "--camera 1000000,-0.0000001,3,-720,89.82");
}

}  // namespace
