#include "CameraPlacement.h"
#include "WindowEvents.h"

// SDL events through a viewer's input pass in a real window, and what they
// change in its view.

namespace {

using ::testing::DoubleNear;
using ::testing::Pointwise;
using Vector = std::array<double, 3>;

template <typename... Values>
std::vector<double> numbers(Values... values) {
    return {static_cast<double>(values)...};
}

// What the keys change, in the order InputPass::settings() lists it.
enum Setting { Forward, Sideways, Vertical, Mode, Corners, Filled, Lines, PlaneView, OneGroup, Group, Plane,
               Panel, Far, Point, Width, Alpha, Speed, Shot, Reload, LookShown, OneSided, None };

// A level of five texture groups and no planes, the pointer left free.
class InputPass : public ViewerWindow {
protected:
    InputPass() {
        show(Qor::LevelContents{{}, std::vector<Qor::TextureGroup>(5), {}, {}});
        leavePointerFree();
    }

    // The plane display counts 0 off, 1 every plane, 2 the selected plane;
    // the panel is its page while shown and minus its page while hidden. The
    // point size and line width are the ones OpenGL was handed.
    std::vector<double> settings() const {
        GLfloat sizes[2] = {};
        glGetFloatv(GL_POINT_SIZE, &sizes[0]);
        glGetFloatv(GL_LINE_WIDTH, &sizes[1]);
        const Renderer& r = renderer;
        return numbers(r.controls.moveForward, r.controls.moveSideways, r.controls.moveVertical, static_cast<int>(r.view.renderMode), r.view.showCornerPoints,
                       r.view.showFilled, r.view.showWireframe, r.view.showPlanePoints + 2 * r.view.singlePlane, r.view.singleGroup,
                       r.view.selectedGroup, r.view.selectedPlane, r.view.overlayVisible ? r.view.overlayPage : -r.view.overlayPage,
                       r.view.farPlane, sizes[0], sizes[1], r.view.fillAlpha, r.view.flySpeed, r.screenshotRequested,
                       r.reloadRequested, static_cast<int>(r.view.look), r.view.cull);
    }
};

// Each step is one frame: a key event, the input pass and the camera motion.
// A press of a held key while it is held stands for one more frame held.
// Then Escape and r come in one pass: the loop is to end, yet r still acts.
// r leaves the look and one-sided drawing: they are how the user wants to
// see the level, not settings of the view.
TEST_F(InputPass, EachKeyChangesItsOwnSettingAndRRestoresTheViewOnesEvenBehindEscape) {
    std::vector<double> expected = settings();
    for (const auto& [key, down, setting, value] : std::vector<std::tuple<SDLKey, bool, Setting, double>>{
             {SDLK_w, true, Forward, 1}, {SDLK_s, true, Forward, 0}, {SDLK_s, false, Forward, 1},
             {SDLK_w, false, Forward, 0}, {SDLK_a, true, Sideways, -1}, {SDLK_d, true, Sideways, 0},
             {SDLK_q, true, Vertical, -1}, {SDLK_e, true, Vertical, 0}, {SDLK_b, true, Mode, 0},
             {SDLK_b, false, None, 0}, {SDLK_b, true, Mode, 1}, {SDLK_v, true, Corners, 0},
             {SDLK_t, true, Filled, 0}, {SDLK_l, true, Lines, 0}, {SDLK_g, true, OneGroup, 1},
             {SDLK_LEFT, true, Group, 4}, {SDLK_RIGHT, true, Group, 0}, {SDLK_RIGHT, true, Group, 1},
             {SDLK_g, true, OneGroup, 0}, {SDLK_RIGHT, true, None, 0}, {SDLK_g, true, OneGroup, 1},
             {SDLK_p, true, PlaneView, 1}, {SDLK_DOWN, true, None, 0}, {SDLK_p, true, PlaneView, 2},
             {SDLK_DOWN, true, Plane, 4294967295}, {SDLK_UP, true, Plane, 0}, {SDLK_UP, true, Plane, 1},
             {SDLK_p, true, PlaneView, 0}, {SDLK_p, true, PlaneView, 1}, {SDLK_i, true, Panel, 1},
             {SDLK_i, true, Panel, -1}, {SDLK_F1, true, Panel, 2}, {SDLK_F2, true, Panel, 3},
             {SDLK_F12, true, None, 0}, {SDLK_PAGEUP, true, Far, 11000}, {SDLK_PAGEUP, false, None, 0},
             {SDLK_PAGEDOWN, true, Far, 10000}, {SDLK_PAGEDOWN, true, Far, 10000 / 1.1},
             {SDLK_PAGEDOWN, false, None, 0}, {SDLK_RIGHTBRACKET, true, Point, 1.05},
             {SDLK_RIGHTBRACKET, false, None, 0}, {SDLK_LEFTBRACKET, true, Point, 1},
             {SDLK_LEFTBRACKET, true, Point, 0.95}, {SDLK_LEFTBRACKET, false, None, 0},
             {SDLK_QUOTE, true, Width, 1.05}, {SDLK_QUOTE, false, None, 0}, {SDLK_SEMICOLON, true, Width, 1},
             {SDLK_SEMICOLON, true, Width, 0.95}, {SDLK_SEMICOLON, false, None, 0},
             {SDLK_PERIOD, true, Alpha, 0.105}, {SDLK_PERIOD, false, None, 0}, {SDLK_COMMA, true, Alpha, 0.1},
             {SDLK_COMMA, true, Alpha, 0.095}, {SDLK_COMMA, false, None, 0}, {SDLK_EQUALS, true, Speed, 2},
             {SDLK_KP_PLUS, true, Speed, 4}, {SDLK_EQUALS, false, None, 0}, {SDLK_MINUS, true, Speed, 2},
             {SDLK_KP_MINUS, true, Speed, 1}, {SDLK_KP_MINUS, true, Speed, 0.5}, {SDLK_PRINT, true, Shot, 1},
             {SDLK_F5, true, Reload, 1}, {SDLK_c, true, LookShown, 1}, {SDLK_c, false, None, 0},
             {SDLK_c, true, LookShown, 2}, {SDLK_c, true, LookShown, 3}, {SDLK_c, true, LookShown, 4},
             {SDLK_c, true, LookShown, 0}, {SDLK_c, true, LookShown, 1}, {SDLK_f, true, OneSided, 1},
             {SDLK_f, false, None, 0}, {SDLK_f, true, OneSided, 0}, {SDLK_f, true, OneSided, 1},
             {SDLK_w, true, Forward, 1}}) {
        SCOPED_TRACE(std::string(SDL_GetKeyName(key)) + (down ? " pressed" : " released"));
        pushKey(key, down);
        renderer.handleInput();
        renderer.updateCamera();
        if (setting != None) expected[setting] = value;
        EXPECT_THAT(settings(), Pointwise(DoubleNear(1e-6), expected));
    }
    const auto camera = std::make_pair(renderer.view.cameraPos, renderer.controls.cameraVelocity);
    for (const SDLKey key : {SDLK_ESCAPE, SDLK_r}) pushKey(key, true);
    renderer.handleInput();
    EXPECT_FALSE(renderer.running);
    expected = {1, 0, 0, 2, 1, 1, 1, 0, 0, 0, 0, -3, 10000, 1, 1, 0.1, 0.5, 1, 1, 1, 1};
    EXPECT_THAT(settings(), Pointwise(DoubleNear(1e-6), expected));
    EXPECT_EQ(renderer.view.nearPlane, 10.0);
    EXPECT_EQ(std::make_pair(renderer.view.cameraPos, renderer.controls.cameraVelocity), camera);
}

// The fly speed multiplies the drive as Shift does, and the two add up;
// Ctrl and Alt do nothing to it.
TEST_F(InputPass, FlySpeedKeysDoubleAndHalveTheDriveBetweenOneSixteenthAnd64AndShiftQuadruplesIt) {
    for (const auto& [key, presses, speed] : {std::make_tuple(SDLK_EQUALS, 9, 64.0),
                                              std::make_tuple(SDLK_MINUS, 11, 1.0 / 16)}) {
        for (int press = 0; press < presses; ++press) pushKey(key, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.view.flySpeed, speed);
    }
    const auto driven = [this](double flySpeed, SDLMod modifiers) {
        renderer.view.flySpeed = flySpeed;
        renderer.controls.cameraVelocity = {};
        renderer.controls.moveForward = 1;
        SDL_SetModState(modifiers);
        renderer.handleInput();
        renderer.updateCamera();
        return renderer.controls.cameraVelocity[1];
    };
    const double once = driven(1, KMOD_NONE);
    EXPECT_GT(once, 0);
    const std::tuple<double, SDLMod, double> cases[] = {
        {4, KMOD_NONE, 4}, {4, KMOD_LSHIFT, 16}, {1, KMOD_RSHIFT, 4},
        {1, KMOD_LCTRL, 1}, {1, KMOD_RALT, 1},   {1, SDLMod(KMOD_LSHIFT | KMOD_LALT), 4}};
    for (const auto& [flySpeed, modifiers, times] : cases)
        EXPECT_NEAR(driven(flySpeed, modifiers), times * once, 1e-9) << "modifiers " << modifiers;
}

// A level without vertices has no bounds: Home leaves the camera alone.
TEST_F(InputPass, HomeFitsTheLevelInTheWindow) {
    const auto camera = std::make_tuple(renderer.view.cameraPos, renderer.view.cameraYaw, renderer.view.farPlane);
    step(SDLK_HOME);
    EXPECT_EQ(std::make_tuple(renderer.view.cameraPos, renderer.view.cameraYaw, renderer.view.farPlane), camera);

    Qor::LevelContents cube;
    cube.vertices = {{-500, 1000, -500}, {500, 3000, 500}};
    show(cube);
    step(SDLK_HOME);
    const CameraView fitted = fitView({{-500, 1000, -500}, {500, 3000, 500}}, 800.0 / 600.0, 10, 10000);
    EXPECT_EQ(std::make_tuple(renderer.view.cameraPos, renderer.view.cameraYaw, renderer.view.cameraPitch, renderer.view.farPlane),
              std::make_tuple(fitted.position, fitted.yaw, fitted.pitch, fitted.farPlane));
}

// Tab goes round the spawn points forward from the first, Shift+Tab backward
// from the last; the entity that is no spawn point is passed over.
TEST_F(InputPass, TabAndShiftTabGoRoundTheSpawnPointsAndCameraSpawnPutsTheCameraAtTheOneAskedFor) {
    step(SDLK_TAB);
    EXPECT_EQ(renderer.view.cameraPos, (Vector{0, 0, 0})) << "a level without spawn points";

    Qor::LevelContents contents;
    contents.entities = {{{{"classname", "info_player_start"}, {"origin", "10 20 30"}, {"angle", "0"}}},
                         {{{"classname", "light"}, {"origin", "1 1 1"}}},
                         {{{"classname", "mp_spawn"}, {"origin", "-5 0 7"}, {"angles", "30 180 0"}}},
                         {{{"classname", "info_player_deathmatch"}, {"origin", "0 99 0"}, {"angle", "90"}}}};
    show(contents);
    const std::vector<Vector> positions = {{10, 20, 30}, {-5, 0, 7}, {0, 99, 0}};
    const std::vector<std::pair<double, double>> facings = {{90, 0}, {270, -30}, {0, 0}};  // yaw, pitch
    // The modifiers of the Tab event, those held when the input pass runs
    // (only the Tab's own Shift counts), and the spawn point stepped to.
    const std::tuple<SDLMod, SDLMod, std::size_t> steps[] = {
        {KMOD_NONE, KMOD_NONE, 0},   {KMOD_NONE, KMOD_NONE, 1},   {KMOD_NONE, KMOD_NONE, 2},
        {KMOD_NONE, KMOD_NONE, 0},   {KMOD_LSHIFT, KMOD_NONE, 2}, {KMOD_RSHIFT, KMOD_NONE, 1},
        {KMOD_NONE, KMOD_LSHIFT, 2}};
    for (const auto& [modifiers, held, at] : steps) {
        pushKey(SDLK_TAB, true, modifiers);
        SDL_SetModState(held);
        renderer.handleInput();
        SDL_SetModState(KMOD_NONE);
        EXPECT_EQ(renderer.view.cameraPos, positions[at]) << "step to " << at;
        EXPECT_NEAR(renderer.view.cameraYaw, facings[at].first * M_PI / 180, 1e-12);
        EXPECT_NEAR(renderer.view.cameraPitch, facings[at].second * M_PI / 180, 1e-12);
    }

    // --camera spawn:N; past the last spawn point the camera is left where it starts.
    CameraRequest request;
    request.kind = CameraRequest::Kind::spawn;
    for (const auto& [spawn, err] : std::vector<std::pair<std::size_t, std::string>>{
             {2, ""},
             {4, "WARNING: Spawn point '4' was asked for, but the level has '3'; the camera starts at the origin.\n"}}) {
        request.spawn = spawn;
        testing::internal::CaptureStderr();
        renderer.placeCamera(request);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), err);
        EXPECT_EQ(renderer.view.cameraPos, positions[1]);
    }
}

TEST_F(InputPass, AClickOrWheelStepTogglesMouseLookWhichTurnsByThePointerFromTheCentre) {
    const auto lookAt = [this](Uint16 x, Uint16 y) { SDL_WarpMouse(x, y); renderer.handleInput(); };
    SDL_Event click{SDL_MOUSEBUTTONDOWN};
    click.button.button = SDL_BUTTON_WHEELDOWN;
    ASSERT_EQ(SDL_PushEvent(&click), 0);
    renderer.handleInput();
    EXPECT_TRUE(renderer.view.mouseLook && SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE);
    lookAt(436, 300);
    renderer.handleInput();
    EXPECT_NEAR(renderer.view.cameraYaw, 0.1, 1e-15) << "once: the pointer is put back at the centre";
    EXPECT_EQ(renderer.view.cameraPitch, 0.0);
    for (int pass = 0; pass < 2; ++pass) lookAt(400, 0);
    EXPECT_EQ(renderer.view.cameraPitch, 1.5676547341413067);
    for (int pass = 0; pass < 4; ++pass) lookAt(400, 599);
    EXPECT_EQ(renderer.view.cameraPitch, -1.5676547341413067);
    click.button.button = SDL_BUTTON_LEFT;
    ASSERT_EQ(SDL_PushEvent(&click), 0);
    renderer.handleInput();
    EXPECT_TRUE(!renderer.view.mouseLook && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE);
}

}  // namespace
