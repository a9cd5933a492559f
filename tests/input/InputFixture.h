#pragma once

// A real window on the test display with a small level attached, fed with
// SDL events the way the event queue would deliver them.

#include <SDL.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "BSP.h"
#include "FrameTimer.h"
#include "Renderer.h"
#include "TestSupport.h"

namespace inputtest {

// Five texture groups sharing one triangle, and three planes.
inline Qor::LevelContents fiveGroupLevel() {
    Qor::LevelContents contents;
    contents.vertices = {
        {-10.0f, 100.0f, -10.0f, 255}, {10.0f, 100.0f, -10.0f, 255}, {0.0f, 100.0f, 10.0f, 255}};
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    for (std::uint32_t texture = 0; texture < 5; ++texture)
        contents.textureGroups.push_back(Qor::TextureGroup{texture, 0, 3, 0, 3});
    contents.planes = {{1, 0, 0, 8}, {0, 1, 0, 8}, {0, 0, 1, 8}};
    return contents;
}

inline void pushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

inline void pushEvent(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

inline void pushMouseButton(Uint8 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = 100;
    event.button.y = 100;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

// Mouse look is off unless a test turns it on, so that wherever the shared
// display's pointer happens to be cannot turn the camera.
class Viewer : public ::testing::Test {
protected:
    explicit Viewer(const Qor::LevelContents& contents = fiveGroupLevel())
        : levelPath(testsupport::writeLevel(
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::string(".d3dbsp"),
              contents)),
          level("", levelPath.c_str()) {
        renderer.setLevel(&level);
        renderer.mouseLook = false;
        SDL_SetModState(KMOD_NONE);
    }

    void TearDown() override { shutdownVideo(); }

    // One input pass over the given keys, each pressed and released.
    void typeKeys(std::initializer_list<SDLKey> keys) {
        for (const SDLKey key : keys) {
            pushKey(key, true);
            pushKey(key, false);
        }
        renderer.handleInput();
    }

    // The camera drive as at 75 frames per second: a time scale of 1.
    static void steadyFrameRate() {
        frameTimer.spfHistory.fill(1.0 / 75.0);
        frameTimer.historyFull = true;
    }

    // Before the window: see holdDisplay.
    bool displayHeld = testsupport::holdDisplay();
    // The window opens before the level is read.
    Renderer renderer{"base"};
    std::string levelPath;
    Qor::BSP level;
};

}  // namespace inputtest
