#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "InputFixture.h"

namespace {

using inputtest::pushEvent;
using inputtest::pushKey;
using inputtest::pushMouseButton;
using inputtest::Viewer;

using InputPass = Viewer;

TEST_F(InputPass, EscapeOrCloseStopsTheLoopAndTheEventsQueuedBehindAreStillHandled) {
    for (const bool escape : {true, false}) {
        renderer.running = true;
        escape ? pushKey(SDLK_ESCAPE, true) : pushEvent(SDL_QUIT);
        pushKey(SDLK_b, true);
        renderer.handleInput();
        EXPECT_FALSE(renderer.running);
    }
    EXPECT_EQ(renderer.renderMode, 1u);
}

TEST_F(InputPass, OppositeMovementKeysCancelAndReleasingOneLeavesTheOther) {
    struct Axis {
        SDLKey plus, minus;
        std::int32_t Renderer::*input;
    };
    for (const Axis& axis :
         {Axis{SDLK_w, SDLK_s, &Renderer::moveForward}, Axis{SDLK_d, SDLK_a, &Renderer::moveSideways},
          Axis{SDLK_e, SDLK_q, &Renderer::moveVertical}}) {
        SCOPED_TRACE(SDL_GetKeyName(axis.plus));
        struct Step {
            SDLKey key;
            bool down;
            std::int32_t input;
        };
        for (const Step& step :
             {Step{axis.plus, true, 1}, Step{axis.minus, true, 0}, Step{axis.minus, false, 1},
              Step{axis.plus, false, 0}, Step{axis.minus, true, -1}, Step{axis.minus, false, 0}}) {
            pushKey(step.key, step.down);
            renderer.handleInput();
            EXPECT_EQ(renderer.*axis.input, step.input);
        }
    }
}

TEST_F(InputPass, ShiftQuadruplesTheSpeedWhileHeldAndOtherModifiersDoNot) {
    struct Step {
        SDLMod held;
        double speed;
    };
    for (const Step& step :
         {Step{KMOD_LCTRL, 1.0}, Step{KMOD_LALT, 1.0}, Step{KMOD_RSHIFT, 4.0}, Step{KMOD_RSHIFT, 4.0},
          Step{KMOD_NONE, 1.0}, Step{SDLMod(KMOD_LSHIFT | KMOD_LCTRL), 4.0}, Step{KMOD_RALT, 1.0}}) {
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
    struct Toggle {
        SDLKey key;
        bool Renderer::*pass;
    };
    const Toggle toggles[] = {{SDLK_v, &Renderer::showCornerPoints},
                              {SDLK_t, &Renderer::showFilled},
                              {SDLK_l, &Renderer::showWireframe}};
    for (const Toggle& toggle : toggles) {
        SCOPED_TRACE(SDL_GetKeyName(toggle.key));
        typeKeys({toggle.key});
        for (const Toggle& other : toggles) EXPECT_EQ(renderer.*other.pass, other.key != toggle.key);
        typeKeys({toggle.key});
        EXPECT_TRUE(renderer.*toggle.pass);
    }
}

TEST_F(InputPass, PStepsThePlaneDisplayThroughEveryPlaneSinglePlaneAndOff) {
    struct Display {
        bool every, single;
    };
    for (const Display& next :
         {Display{true, false}, Display{false, true}, Display{false, false}, Display{true, false}}) {
        typeKeys({SDLK_p});
        EXPECT_EQ(renderer.showPlanePoints, next.every);
        EXPECT_EQ(renderer.singlePlane, next.single);
    }
}

// g turns the single-group view on (and off); p twice reaches the
// single-plane view, once more leaves it. The level has 5 groups, 3 planes.
TEST_F(InputPass, SelectionsWrapOverTheirListOnlyInTheirSingleItemView) {
    struct Selection {
        SDLKey view;
        int pressesToEnter;
        SDLKey next, previous;
        std::uint32_t Renderer::*index;
        std::uint32_t last;
    };
    for (const Selection& s : {Selection{SDLK_g, 1, SDLK_RIGHT, SDLK_LEFT, &Renderer::selectedGroup, 4},
                               Selection{SDLK_p, 2, SDLK_UP, SDLK_DOWN, &Renderer::selectedPlane, 2}}) {
        SCOPED_TRACE(SDL_GetKeyName(s.view));
        for (int press = 0; press < s.pressesToEnter; ++press) {
            typeKeys({s.previous, s.next, s.next});
            EXPECT_EQ(renderer.*s.index, 0u);
            typeKeys({s.view});
        }
        typeKeys({s.previous});
        EXPECT_EQ(renderer.*s.index, s.last);
        typeKeys({s.next});
        EXPECT_EQ(renderer.*s.index, 0u);
        typeKeys({s.next, s.next});
        EXPECT_EQ(renderer.*s.index, 2u);

        typeKeys({s.view, s.next});
        EXPECT_EQ(renderer.*s.index, 2u);
        for (int press = 0; press < s.pressesToEnter; ++press) typeKeys({s.view});
        EXPECT_EQ(renderer.*s.index, 2u) << "the selection outlasts leaving the view";
    }
    EXPECT_EQ(renderer.selectedGroup, 2u) << "Up and Down leave the group alone";
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

TEST_F(InputPass, AdjustmentKeyHoldsItsFlagAndActsOnItsSettingOncePerFrameUntilReleased) {
    struct Held {
        SDLKey key;
        std::size_t index;
        double Renderer::*setting;
        double afterOneFrame;  // from the reset value
    };
    for (const Held& held :
         {Held{SDLK_PAGEUP, 24, &Renderer::farPlane, 11000.0},
          Held{SDLK_PAGEDOWN, 25, &Renderer::nearPlane, 10.0 / 1.1},
          Held{SDLK_QUOTE, 39, &Renderer::lineWidth, 1.05}, Held{SDLK_COMMA, 44, &Renderer::fillAlpha, 0.095},
          Held{SDLK_PERIOD, 46, &Renderer::fillAlpha, 0.105},
          Held{SDLK_SEMICOLON, 59, &Renderer::lineWidth, 0.95},
          Held{SDLK_LEFTBRACKET, 123, &Renderer::pointSize, 0.95},
          Held{SDLK_RIGHTBRACKET, 125, &Renderer::pointSize, 1.05}}) {
        SCOPED_TRACE(SDL_GetKeyName(held.key));
        typeKeys({SDLK_r});
        pushKey(held.key, true);
        renderer.handleInput();
        EXPECT_EQ(renderer.keyDown[held.index], 1);
        EXPECT_EQ(std::count(renderer.keyDown.begin(), renderer.keyDown.end(), 0), 255);
        renderer.updateCamera();
        EXPECT_NEAR(renderer.*held.setting, held.afterOneFrame, 1e-12);

        pushKey(held.key, false);
        renderer.handleInput();
        EXPECT_EQ(std::count(renderer.keyDown.begin(), renderer.keyDown.end(), 0), 256);
        renderer.updateCamera();
        EXPECT_NEAR(renderer.*held.setting, held.afterOneFrame, 1e-12);
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

// The drive of one frame at a time scale of 1, damped once, moves the camera
// in that same frame; only the heading steers it, and Shift quadruples it.
TEST_F(InputPass, MovementKeyMovesTheCameraAlongTheHeadingInTheSameFrame) {
    struct Case {
        SDLKey key;
        SDLMod held;
        double yaw, pitch;
        std::array<double, 3> velocity;
    };
    constexpr double firstFrame = 2.67 * 0.75;
    for (const Case& c :
         {Case{SDLK_w, KMOD_NONE, 0.0, 0.0, {0.0, firstFrame, 0.0}},
          Case{SDLK_w,
               KMOD_NONE,
               0.5,
               1.5676547341413067,
               {std::sin(0.5) * firstFrame, std::cos(0.5) * firstFrame, 0.0}},
          Case{SDLK_a, KMOD_NONE, 0.5, -1.0, {-std::cos(0.5) * firstFrame, std::sin(0.5) * firstFrame, 0.0}},
          Case{SDLK_e, KMOD_LSHIFT, 2.0, 1.0, {0.0, 0.0, 4.0 * firstFrame}}}) {
        SCOPED_TRACE(SDL_GetKeyName(c.key));
        steadyFrameRate();
        renderer.cameraPos = renderer.cameraVelocity = {0.0, 0.0, 0.0};
        renderer.cameraYaw = c.yaw;
        renderer.cameraPitch = c.pitch;
        SDL_SetModState(c.held);
        pushKey(c.key, true);
        renderer.handleInput();
        renderer.updateCamera();
        for (std::size_t axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(renderer.cameraVelocity[axis], c.velocity[axis], 1e-12);
        EXPECT_EQ(renderer.cameraPos, renderer.cameraVelocity);
        pushKey(c.key, false);
    }
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
        ASSERT_EQ(renderer.lastFrame[pixel] | renderer.lastFrame[pixel + 1] | renderer.lastFrame[pixel + 2],
                  0)
            << "pixel " << pixel / 4;
}

}  // namespace
