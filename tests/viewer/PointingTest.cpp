#include "CameraRequest.h"
#include "Pointing.h"
#include "PointingLevel.h"
#include "WindowEvents.h"

// Pointing in the viewer: --pick over the camera and window as they are, and
// the camera argument that goes with it.

namespace {

using testsupport::runProcess;
using testsupport::viewerBinary;

constexpr double degree = M_PI / 180.0;

std::string nearClipHit(const Hit& hit) {
    if (hit.kind == Hit::Kind::surface) return "s " + std::to_string(hit.group) + ' ' + std::to_string(hit.triangle);
    return hit.kind == Hit::Kind::nothing ? "-" : "e";
}

using WindowPicks = ViewerWindow;

// The viewer's ray starts at the near clip plane: the floor the camera
// stands on is not what it points at.
TEST_F(WindowPicks, StartAtTheNearClipPlane) {
    show(pointingLevel());
    renderer.view.cameraPos = {0, 0, -10};
    renderer.view.cameraPitch = 2 * degree;
    EXPECT_EQ(nearClipHit(renderer.pointAt(400, 300)), "s 1 2");
    renderer.view.cameraPitch = -2 * degree;
    EXPECT_EQ(nearClipHit(renderer.pointAt(400, 300)), "-");
    // Level with the small triangle 300 ahead, the near plane just past it
    // and just short of it.
    renderer.view.cameraPos = {0, 0, 12};
    renderer.view.cameraPitch = 0;
    renderer.view.nearPlane = 300.01;
    EXPECT_EQ(nearClipHit(renderer.pointAt(400, 300)), "s 1 2");
    renderer.view.nearPlane = 299.99;
    EXPECT_EQ(nearClipHit(renderer.pointAt(400, 300)), "s 3 3");
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
TEST_F(WindowPicks, HonourTheSingleGroupSelection) {
    show(testsupport::generatedLevel({"demo"}));
    renderer.view.singleGroup = true;
    const std::pair<std::uint32_t, std::string> cases[] = {
        {13, "pick: 400 300 group 13 triangle 408 material 'demo/tower_stone' at 1.04 1500.00 -1.04 distance 1500.00"},
        {12, "pick: 400 300 nothing"},  // under the arch
    };
    for (const auto& [group, line] : cases) {
        renderer.view.selectedGroup = group;
        EXPECT_EQ(pickLine(400, 300, renderer.pointAt(400, 300), *level), line);
    }
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
