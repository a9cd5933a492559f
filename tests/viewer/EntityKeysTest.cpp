#include "CommandLine.h"
#include "WindowEvents.h"

// The keys for entities and pointing: n, j, k, o and F3, as SDL events to a
// viewer in a real window.

namespace {

using Vector = std::array<double, 3>;

// A worldspawn without origin, then (by entity number from 0) 1 a spawn
// point, 2 a light without origin, 3 a light, 4 something else.
Qor::LevelContents entityLevel() {
    Qor::LevelContents contents;
    contents.entities = {{{{"classname", "worldspawn"}}},
                         {{{"classname", "info_player_start"}, {"origin", "10 20 30"}}},
                         {{{"classname", "light"}}},
                         {{{"classname", "light"}, {"origin", "-5 0 7"}}},
                         {{{"classname", "misc_model"}, {"origin", "0 99 0"}}}};
    return contents;
}

class EntityKeys : public ViewerWindow {
protected:
    EntityKeys() : ViewerWindow({201, 151}) {
        show(entityLevel());
        leavePointerFree();
    }
};

// F3 shows, switches to and hides page 4 as i, F1 and F2 do theirs; n
// switches the markers, which r leaves as they are.
TEST_F(EntityKeys, F3IsAPanelKeyAndNSwitchesTheMarkersWhichResettingLeaves) {
    const std::tuple<SDLKey, bool, std::int32_t, bool> steps[] = {
        // key, panel shown, page, markers
        {SDLK_F3, true, 4, false}, {SDLK_F3, false, 4, false}, {SDLK_i, true, 1, false}, {SDLK_F3, true, 4, false},
        {SDLK_F2, true, 3, false}, {SDLK_F3, true, 4, false},  {SDLK_n, true, 4, true},   {SDLK_r, false, 4, true},
        {SDLK_F3, true, 4, true},  {SDLK_n, true, 4, false},   {SDLK_F3, false, 4, false},
    };
    for (const auto& [key, shown, page, markers] : steps) {
        step(key);
        EXPECT_EQ(std::make_tuple(renderer.view.overlayVisible, renderer.view.overlayPage, renderer.view.showMarkers),
                  std::make_tuple(shown, page, markers))
            << SDL_GetKeyName(key);
    }
}

// j goes forward round the entities with an origin from the first, k back
// from the last; each looks at its entity from 128 units, 20° down, with the
// yaw it had, so that the centre pixel points at the cube's face across y,
// 8 units before the origin, and only the camera's place and angles change.
TEST_F(EntityKeys, JAndKGoRoundTheEntitiesWithAnOriginAndPutEachAtTheWindowsCentre) {
    const std::vector<Vector> origins = {{10, 20, 30}, {-5, 0, 7}, {0, 99, 0}};  // entities 1, 3, 4
    const std::tuple<SDLKey, std::int64_t, std::size_t> steps[] = {
        {SDLK_k, 4, 2}, {SDLK_k, 3, 1}, {SDLK_j, 4, 2}, {SDLK_j, 1, 0}, {SDLK_j, 3, 1}, {SDLK_k, 1, 0}, {SDLK_k, 4, 2}};
    renderer.view.cameraYaw = 0.7;
    renderer.controls.cameraVelocity = {1, 2, 3};
    renderer.view.farPlane = 5000;
    renderer.view.showMarkers = true;
    for (const auto& [key, entity, origin] : steps) {
        step(key);
        SCOPED_TRACE(testing::Message() << SDL_GetKeyName(key) << " to entity " << entity);
        EXPECT_EQ(renderer.view.selectedEntity, entity);
        EXPECT_EQ(renderer.view.cameraYaw, 0.7);
        EXPECT_NEAR(renderer.view.cameraPitch, -20 * M_PI / 180, 1e-15);
        const double reach = std::cos(renderer.view.cameraPitch) * 128;
        const Vector expected = {origins[origin][0] - reach * std::sin(0.7), origins[origin][1] - reach * std::cos(0.7),
                                 origins[origin][2] + std::sin(20 * M_PI / 180) * 128};
        EXPECT_THAT(renderer.view.cameraPos, testing::Pointwise(testing::DoubleNear(1e-9), expected));
        const Hit hit = renderer.pointAt(100, 75);
        EXPECT_EQ(std::make_tuple(hit.kind, hit.entity), std::make_tuple(Hit::Kind::entity, std::size_t(entity)));
        EXPECT_NEAR(hit.distance, 128 - 8 / (std::cos(20 * M_PI / 180) * std::cos(0.7)), 1e-3);
    }
    EXPECT_EQ(renderer.controls.cameraVelocity, (Vector{1, 2, 3}));
    EXPECT_EQ(renderer.view.farPlane, 5000);
    // The last one's cube, orange, is drawn evenly about the centre column.
    renderer.frame.panel.atlasMade = true;  // without the labels' text
    renderer.view.renderMode = RenderMode::opaque;
    const auto [left, bottom, right, top] = extent(picture(), {255, 128, 0});
    ASSERT_GT(right, left);
    EXPECT_LE(std::abs(left + right - 200), 1) << left << " to " << right;

    // A level without entities that have an origin: nothing happens.
    Qor::LevelContents none;
    none.entities = {{{{"classname", "worldspawn"}}}};
    show(none);
    const Vector before = renderer.view.cameraPos;
    step(SDLK_j);
    EXPECT_EQ(renderer.view.cameraPos, before);
    EXPECT_EQ(renderer.view.selectedEntity, 4) << "a selection past the level's entities shows as none";
}

// o prints the argument that puts the camera back where it is: the same
// picture of the demo level, byte for byte, wherever mouse look had turned it.
TEST_F(EntityKeys, OPrintsTheCameraAsTheArgumentThatGivesTheSamePicture) {
    show(testsupport::generatedLevel({"demo"}));
    renderer.view.showMarkers = true;
    const std::tuple<Vector, double, double> cameras[] = {
        {{0, 0, 0}, 0, 0}, {{13.25, -7.125, 3}, 0.1234567891234, -0.3333333333333}, {{-1.0 / 3, 17, 2e-5}, -11.7, 1.2}};
    for (const auto& [position, yaw, pitch] : cameras) {
        cameraPose() = std::tie(position, yaw, pitch);
        const std::vector<RgbPixel> before = picture();
        testing::internal::CaptureStdout();
        step(SDLK_o);
        const std::string printed = testing::internal::GetCapturedStdout();
        ASSERT_THAT(printed, testing::MatchesRegex("--camera [-0-9.,]+\n"));
        const std::string argument = printed.substr(9, printed.size() - 10);
        const char* argv[] = {"orvandel", "--camera", argument.c_str(), "level"};
        const CommandLine line = parseCommandLine(4, argv);
        ASSERT_EQ(line.action, CommandLine::Action::view) << printed;
        cameraPose() = std::make_tuple(Vector{1, 1, 1}, 0.5, 0.5);
        renderer.placeCamera(line.camera);
        EXPECT_EQ(cameraPose(), std::tie(position, yaw, pitch)) << printed;
        EXPECT_EQ(picture(), before) << printed;
    }
}

}  // namespace
