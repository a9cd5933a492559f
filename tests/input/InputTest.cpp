#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "InputFixture.h"

namespace {

using inputtest::pushEvent;
using inputtest::pushKey;
using inputtest::pushMouseButton;
using inputtest::Viewer;

using InputPass = Viewer;

TEST_F(InputPass, EscapeStopsTheLoopAndTheEventsQueuedBehindItAreStillHandled) {
    pushKey(SDLK_ESCAPE, true);
    pushKey(SDLK_w, true);
    pushKey(SDLK_b, true);
    renderer.handleInput();
    EXPECT_FALSE(renderer.running);
    EXPECT_EQ(renderer.moveForward, 1);
    EXPECT_EQ(renderer.renderMode, 0u);
}

TEST_F(InputPass, WindowCloseRequestStopsTheLoop) {
    pushEvent(SDL_QUIT);
    renderer.handleInput();
    EXPECT_FALSE(renderer.running);
}

TEST_F(InputPass, OppositeMovementKeysCancelAndReleasingOneLeavesTheOther) {
    struct Axis {
        SDLKey plus, minus;
        std::int32_t Renderer::*input;
    };
    for (const Axis& axis : {Axis{SDLK_w, SDLK_s, &Renderer::moveForward},
                             Axis{SDLK_d, SDLK_a, &Renderer::moveSideways},
                             Axis{SDLK_e, SDLK_q, &Renderer::moveVertical}}) {
        SCOPED_TRACE(SDL_GetKeyName(axis.plus));
        pushKey(axis.plus, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.*axis.input, 1);
        pushKey(axis.minus, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.*axis.input, 0);
        pushKey(axis.minus, false);
        renderer.handleInput();
        EXPECT_EQ(renderer.*axis.input, 1);
        pushKey(axis.plus, false);
        pushKey(axis.minus, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.*axis.input, -1);
        pushKey(axis.minus, false);
        renderer.handleInput();
        EXPECT_EQ(renderer.*axis.input, 0);
    }
}

TEST_F(InputPass, ShiftQuadruplesTheSpeedWhileHeldAndOtherModifiersDoNot) {
    struct Step {
        SDLMod held;
        double speed;
    };
    for (const Step& step : {Step{KMOD_LCTRL, 1.0}, Step{KMOD_LALT, 1.0}, Step{KMOD_RSHIFT, 4.0},
                             Step{KMOD_RSHIFT, 4.0}, Step{KMOD_NONE, 1.0},
                             Step{SDLMod(KMOD_LSHIFT | KMOD_LCTRL), 4.0}, Step{KMOD_RALT, 1.0}}) {
        SCOPED_TRACE(step.held);
        SDL_SetModState(step.held);
        renderer.handleInput();
        EXPECT_EQ(renderer.speedFactor, step.speed);
        EXPECT_EQ(renderer.runHeld, step.speed == 4.0);
    }
}

TEST_F(InputPass, AnyMouseButtonOrWheelStepTogglesMouseLookAndTheCursor) {
    pushMouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    renderer.handleInput();
    EXPECT_TRUE(renderer.mouseLook);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    pushMouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    renderer.handleInput();
    EXPECT_TRUE(renderer.mouseLook);

    pushMouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    renderer.handleInput();
    EXPECT_FALSE(renderer.mouseLook);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    pushMouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    pushMouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    renderer.handleInput();
    EXPECT_FALSE(renderer.mouseLook);
}

TEST_F(InputPass, BCyclesTheRenderModeThroughZeroOneAndTwo) {
    for (const std::uint32_t mode : {0u, 1u, 2u, 0u}) {
        typeKeys({SDLK_b});
        EXPECT_EQ(renderer.renderMode, mode);
    }
}

TEST_F(InputPass, VTAndLEachFlipTheirOwnPass) {
    typeKeys({SDLK_v});
    EXPECT_FALSE(renderer.showCornerPoints);
    EXPECT_TRUE(renderer.showFilled);
    EXPECT_TRUE(renderer.showWireframe);
    typeKeys({SDLK_t});
    EXPECT_FALSE(renderer.showFilled);
    EXPECT_TRUE(renderer.showWireframe);
    typeKeys({SDLK_l});
    EXPECT_FALSE(renderer.showWireframe);
    typeKeys({SDLK_v, SDLK_t, SDLK_l});
    EXPECT_TRUE(renderer.showCornerPoints);
    EXPECT_TRUE(renderer.showFilled);
    EXPECT_TRUE(renderer.showWireframe);
}

TEST_F(InputPass, PStepsThePlaneDisplayThroughEveryPlaneSinglePlaneAndOff) {
    struct Display {
        bool every, single;
    };
    for (const Display& next : {Display{true, false}, Display{false, true}, Display{false, false},
                                Display{true, false}}) {
        typeKeys({SDLK_p});
        EXPECT_EQ(renderer.showPlanePoints, next.every);
        EXPECT_EQ(renderer.singlePlane, next.single);
    }
}

TEST_F(InputPass, LeftAndRightWrapTheGroupSelectionOnlyInSingleGroupMode) {
    typeKeys({SDLK_LEFT});
    typeKeys({SDLK_RIGHT, SDLK_RIGHT});
    EXPECT_EQ(renderer.selectedGroup, 0u);

    typeKeys({SDLK_g});
    ASSERT_TRUE(renderer.singleGroup);
    typeKeys({SDLK_LEFT});
    EXPECT_EQ(renderer.selectedGroup, 4u);
    typeKeys({SDLK_RIGHT});
    EXPECT_EQ(renderer.selectedGroup, 0u);
    typeKeys({SDLK_RIGHT, SDLK_RIGHT});
    EXPECT_EQ(renderer.selectedGroup, 2u);
    typeKeys({SDLK_UP, SDLK_DOWN});
    EXPECT_EQ(renderer.selectedGroup, 2u);

    typeKeys({SDLK_g, SDLK_RIGHT});
    EXPECT_FALSE(renderer.singleGroup);
    EXPECT_EQ(renderer.selectedGroup, 2u);
    typeKeys({SDLK_g});
    EXPECT_EQ(renderer.selectedGroup, 2u);
    EXPECT_EQ(renderer.selectedPlane, 0u);
}

TEST_F(InputPass, UpAndDownWrapThePlaneSelectionOnlyInSinglePlaneMode) {
    typeKeys({SDLK_DOWN, SDLK_UP, SDLK_UP});
    EXPECT_EQ(renderer.selectedPlane, 0u);
    typeKeys({SDLK_p});
    typeKeys({SDLK_DOWN});
    EXPECT_EQ(renderer.selectedPlane, 0u) << "every-plane display";

    typeKeys({SDLK_p});
    ASSERT_TRUE(renderer.singlePlane);
    typeKeys({SDLK_DOWN});
    EXPECT_EQ(renderer.selectedPlane, 2u);
    typeKeys({SDLK_UP});
    EXPECT_EQ(renderer.selectedPlane, 0u);
    typeKeys({SDLK_UP});
    EXPECT_EQ(renderer.selectedPlane, 1u);
    typeKeys({SDLK_LEFT, SDLK_RIGHT, SDLK_RIGHT});
    EXPECT_EQ(renderer.selectedPlane, 1u);
    EXPECT_EQ(renderer.selectedGroup, 0u);

    typeKeys({SDLK_p, SDLK_UP});
    EXPECT_EQ(renderer.selectedPlane, 1u);
}

TEST_F(InputPass, PanelKeysShowSwitchAndHideTheirPages) {
    struct Step {
        SDLKey key;
        bool visible;
        std::int32_t page;
    };
    for (const Step& step : {Step{SDLK_i, true, 1}, Step{SDLK_i, false, 1}, Step{SDLK_i, true, 1},
                             Step{SDLK_F1, true, 2}, Step{SDLK_r, false, 2}, Step{SDLK_F2, true, 3},
                             Step{SDLK_F2, false, 3}, Step{SDLK_F12, false, 3}}) {
        SCOPED_TRACE(SDL_GetKeyName(step.key));
        typeKeys({step.key});
        EXPECT_EQ(renderer.overlayVisible, step.visible);
        EXPECT_EQ(renderer.overlayPage, step.page);
    }
}

TEST_F(InputPass, RRestoresEveryViewSettingAndLeavesTheCameraAndInputsAlone) {
    renderer.nearPlane = 3.0;
    renderer.farPlane = 3000.0;
    renderer.pointSize = 4.0;
    renderer.lineWidth = 5.0;
    renderer.fillAlpha = 0.7;
    renderer.renderMode = 0;
    renderer.overlayVisible = true;
    renderer.overlayPage = 2;
    renderer.showCornerPoints = renderer.showFilled = renderer.showWireframe = false;
    renderer.showPlanePoints = renderer.singleGroup = renderer.singlePlane = true;
    renderer.selectedGroup = 3;
    renderer.selectedPlane = 2;
    renderer.cameraPos = {1.0, 2.0, 3.0};
    renderer.cameraVelocity = {-1.0, 0.5, 0.25};
    renderer.cameraYaw = 7.0;
    renderer.cameraPitch = -0.5;
    renderer.moveForward = 1;
    renderer.moveSideways = -1;
    renderer.moveVertical = 1;
    glPointSize(4.0f);
    glLineWidth(5.0f);
    glDisable(GL_BLEND);
    SDL_SetModState(KMOD_LSHIFT);

    typeKeys({SDLK_r});

    EXPECT_EQ(renderer.nearPlane, 10.0);
    EXPECT_EQ(renderer.farPlane, 10000.0);
    EXPECT_EQ(renderer.pointSize, 1.0);
    EXPECT_EQ(renderer.lineWidth, 1.0);
    EXPECT_EQ(renderer.fillAlpha, 0.1);
    EXPECT_EQ(renderer.renderMode, 2u);
    EXPECT_FALSE(renderer.overlayVisible);
    EXPECT_TRUE(renderer.showCornerPoints && renderer.showFilled && renderer.showWireframe);
    EXPECT_FALSE(renderer.showPlanePoints || renderer.singleGroup || renderer.singlePlane);
    EXPECT_EQ(renderer.selectedGroup, 0u);
    EXPECT_EQ(renderer.selectedPlane, 0u);

    EXPECT_EQ(renderer.overlayPage, 2);
    EXPECT_EQ(renderer.cameraPos, (std::array<double, 3>{1.0, 2.0, 3.0}));
    EXPECT_EQ(renderer.cameraVelocity, (std::array<double, 3>{-1.0, 0.5, 0.25}));
    EXPECT_EQ(renderer.cameraYaw, 7.0);
    EXPECT_EQ(renderer.cameraPitch, -0.5);
    EXPECT_FALSE(renderer.mouseLook);
    EXPECT_EQ(renderer.speedFactor, 4.0);
    EXPECT_EQ(renderer.moveForward, 1);
    EXPECT_EQ(renderer.moveSideways, -1);
    EXPECT_EQ(renderer.moveVertical, 1);

    GLfloat size = 0.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 1.0f);
    glGetFloatv(GL_LINE_WIDTH, &size);
    EXPECT_EQ(size, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(destination, GL_ONE);
}

// The held adjustment keys, where they keep their flags and what one frame of
// each does from the reset values.
struct HeldKey {
    SDLKey key;
    std::size_t index;
    std::function<double(const Renderer&)> setting;
    double afterOneFrame;
};

const std::vector<HeldKey>& heldKeys() {
    static const std::vector<HeldKey> keys = {
        {SDLK_PAGEUP, 24, [](const Renderer& r) { return r.farPlane; }, 11000.0},
        {SDLK_PAGEDOWN, 25, [](const Renderer& r) { return r.nearPlane; }, 10.0 / 1.1},
        {SDLK_QUOTE, 39, [](const Renderer& r) { return r.lineWidth; }, 1.05},
        {SDLK_COMMA, 44, [](const Renderer& r) { return r.fillAlpha; }, 0.095},
        {SDLK_PERIOD, 46, [](const Renderer& r) { return r.fillAlpha; }, 0.105},
        {SDLK_SEMICOLON, 59, [](const Renderer& r) { return r.lineWidth; }, 0.95},
        {SDLK_LEFTBRACKET, 123, [](const Renderer& r) { return r.pointSize; }, 0.95},
        {SDLK_RIGHTBRACKET, 125, [](const Renderer& r) { return r.pointSize; }, 1.05},
    };
    return keys;
}

TEST_F(InputPass, AdjustmentKeysSetAndClearTheirHeldFlagOnly) {
    for (const HeldKey& held : heldKeys()) {
        SCOPED_TRACE(SDL_GetKeyName(held.key));
        pushKey(held.key, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.keyDown[held.index], 1);
        EXPECT_EQ(std::count(renderer.keyDown.begin(), renderer.keyDown.end(), 0), 255);
        pushKey(held.key, false);
        renderer.handleInput();
        EXPECT_EQ(std::count(renderer.keyDown.begin(), renderer.keyDown.end(), 0), 256);
    }
}

TEST_F(InputPass, HeldAdjustmentKeyActsOnItsSettingEveryFrameUntilReleased) {
    for (const HeldKey& held : heldKeys()) {
        SCOPED_TRACE(SDL_GetKeyName(held.key));
        typeKeys({SDLK_r});
        pushKey(held.key, true);
        renderer.handleInput();
        renderer.updateCamera();
        EXPECT_NEAR(held.setting(renderer), held.afterOneFrame, 1e-12);
        pushKey(held.key, false);
        renderer.handleInput();
        renderer.updateCamera();
        EXPECT_NEAR(held.setting(renderer), held.afterOneFrame, 1e-12);
    }
}

TEST_F(InputPass, HeldKeysHandTheirNewValuesToOpenGL) {
    for (const SDLKey key : {SDLK_PAGEUP, SDLK_RIGHTBRACKET, SDLK_QUOTE}) pushKey(key, true);
    renderer.handleInput();
    renderer.updateCamera();

    GLfloat size = 0.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_FLOAT_EQ(size, 1.05f);
    glGetFloatv(GL_LINE_WIDTH, &size);
    EXPECT_FLOAT_EQ(size, 1.05f);
    // The depth terms of the projection follow the new clip distances 11 and 11000.
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[10], static_cast<float>(-(11000.0 + 11.0) / (11000.0 - 11.0)));
    EXPECT_FLOAT_EQ(projection[14], static_cast<float>(-2.0 * 11000.0 * 11.0 / (11000.0 - 11.0)));
}

TEST_F(InputPass, TimeScaleIsTheMeanFrameTimeTimesSeventyFive) {
    frameTimer.historyPos = 0;
    frameTimer.historyFull = false;
    EXPECT_DOUBLE_EQ(renderer.timeScale(), 0.99975);
    frameTimer.spfHistory[0] = 0.02;
    frameTimer.spfHistory[1] = 0.04;
    frameTimer.historyPos = 2;
    EXPECT_DOUBLE_EQ(renderer.timeScale(), 2.25);
}

TEST_F(InputPass, ForwardKeyMovesTheCameraByTheDampedDriveInTheSameFrame) {
    steadyFrameRate();
    pushKey(SDLK_w, true);
    renderer.handleInput();
    renderer.updateCamera();
    EXPECT_NEAR(renderer.cameraVelocity[1], 2.67 * 0.75, 1e-12);
    EXPECT_EQ(renderer.cameraPos, renderer.cameraVelocity);
    renderer.updateCamera();
    EXPECT_NEAR(renderer.cameraPos[1], 2.67 * 0.75 + (2.0025 + 2.67) * 0.75, 1e-12);
}

TEST_F(InputPass, ForwardAtThePitchLimitStillMovesOnlyHorizontally) {
    steadyFrameRate();
    renderer.cameraPitch = 1.5676547341413067;
    renderer.cameraYaw = 0.5;
    pushKey(SDLK_w, true);
    renderer.handleInput();
    renderer.updateCamera();
    EXPECT_NEAR(renderer.cameraVelocity[0], std::sin(0.5) * 2.0025, 1e-12);
    EXPECT_NEAR(renderer.cameraVelocity[1], std::cos(0.5) * 2.0025, 1e-12);
    EXPECT_EQ(renderer.cameraVelocity[2], 0.0);
}

TEST_F(InputPass, ShiftHeldDrivesFourTimesAsHard) {
    steadyFrameRate();
    SDL_SetModState(KMOD_LSHIFT);
    pushKey(SDLK_e, true);
    renderer.handleInput();
    renderer.updateCamera();
    EXPECT_NEAR(renderer.cameraVelocity[2], 4.0 * 2.0025, 1e-12);
}

TEST_F(InputPass, AFrameWithoutInputOrVelocityLeavesTheCameraWhereItIs) {
    renderer.cameraPos = {5.5, -3.25, 2.0};
    renderer.handleInput();
    renderer.updateCamera();
    EXPECT_EQ(renderer.cameraPos, (std::array<double, 3>{5.5, -3.25, 2.0}));
}

TEST_F(InputPass, TheTurnInWhichEscapeArrivesStillMovesDrawsAndPresents) {
    steadyFrameRate();
    renderer.captureLastFrame = true;
    pushKey(SDLK_w, true);
    pushKey(SDLK_ESCAPE, true);
    renderer.run();
    EXPECT_EQ(renderer.framesRun, 1u);
    EXPECT_GT(renderer.cameraPos[1], 0.0);
    EXPECT_EQ(renderer.lastFrame.size(), 800u * 600u * 4u);
}

class EmptyLevel : public Viewer {
protected:
    EmptyLevel() : Viewer(Qor::LevelContents{}) {}
};

TEST_F(EmptyLevel, SelectionsStepAsUnsignedAndTheSingleItemPassesDrawNothing) {
    typeKeys({SDLK_g, SDLK_RIGHT});
    EXPECT_EQ(renderer.selectedGroup, 1u);
    typeKeys({SDLK_LEFT, SDLK_LEFT});
    EXPECT_EQ(renderer.selectedGroup, 4294967295u);
    typeKeys({SDLK_p, SDLK_p, SDLK_UP});
    EXPECT_EQ(renderer.selectedPlane, 1u);
    typeKeys({SDLK_DOWN, SDLK_DOWN});
    EXPECT_EQ(renderer.selectedPlane, 4294967295u);

    renderer.frameLimit = 1;
    renderer.captureLastFrame = true;
    renderer.run();
    ASSERT_EQ(renderer.lastFrame.size(), 800u * 600u * 4u);
    for (std::size_t pixel = 0; pixel < renderer.lastFrame.size(); pixel += 4)
        ASSERT_EQ(renderer.lastFrame[pixel] | renderer.lastFrame[pixel + 1] | renderer.lastFrame[pixel + 2], 0)
            << "pixel " << pixel / 4;
}

}  // namespace
