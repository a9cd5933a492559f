#include <chrono>

#include "InputFixture.h"

namespace {

using inputtest::pushMouseButton;

constexpr double pitchLimit = 1.5676547341413067;

class MouseLook : public inputtest::Viewer {
protected:
    MouseLook() { renderer.mouseLook = true; }

    // SDL learns where the pointer is from the motion events it pumps, so a
    // warp counts once SDL reports the new position. Waits for that, so that
    // the next input pass reads exactly this position.
    static ::testing::AssertionResult pointerAt(int x, int y) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int seenX = -1;
        int seenY = -1;
        do {
            SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
            SDL_PumpEvents();
            SDL_GetMouseState(&seenX, &seenY);
            if (seenX == x && seenY == y) return ::testing::AssertionSuccess();
            SDL_Delay(5);
        } while (std::chrono::steady_clock::now() < deadline);
        return ::testing::AssertionFailure() << "pointer seen at " << seenX << "," << seenY;
    }

    // Where SDL sees the pointer once the events already sent have arrived.
    static std::pair<int, int> pointerSeen() {
        SDL_PumpEvents();
        int x = -1;
        int y = -1;
        SDL_GetMouseState(&x, &y);
        return {x, y};
    }

    void passWithPointerAt(int x, int y) {
        ASSERT_TRUE(pointerAt(x, y));
        renderer.handleInput();
    }
};

TEST_F(MouseLook, PointerRightOfTheCentreTurnsRightAndIsPinnedBack) {
    passWithPointerAt(436, 300);
    EXPECT_NEAR(renderer.cameraYaw, 0.1, 1e-15);
    EXPECT_EQ(renderer.cameraPitch, 0.0);
    EXPECT_EQ(pointerSeen(), std::make_pair(400, 300));
    renderer.handleInput();
    EXPECT_NEAR(renderer.cameraYaw, 0.1, 1e-15);
}

TEST_F(MouseLook, PointerUpLooksUpAndDownLooksDown) {
    passWithPointerAt(400, 264);
    EXPECT_NEAR(renderer.cameraPitch, 0.1, 1e-15);
    passWithPointerAt(400, 372);
    EXPECT_NEAR(renderer.cameraPitch, -0.1, 1e-15);
    EXPECT_EQ(renderer.cameraYaw, 0.0);
}

TEST_F(MouseLook, PitchStopsExactlyAtTheLimitAndYawGrowsWithoutBound) {
    for (int pass = 0; pass < 3; ++pass) passWithPointerAt(400, 0);
    EXPECT_EQ(renderer.cameraPitch, pitchLimit);
    for (int pass = 0; pass < 5; ++pass) passWithPointerAt(400, 599);
    EXPECT_EQ(renderer.cameraPitch, -pitchLimit);
    for (int pass = 0; pass < 8; ++pass) passWithPointerAt(799, 300);
    EXPECT_NEAR(renderer.cameraYaw, 8 * 399 / 360.0, 1e-12);
}

TEST_F(MouseLook, PointerTurnsNothingWhileMouseLookIsOff) {
    renderer.mouseLook = false;
    passWithPointerAt(436, 250);
    EXPECT_EQ(renderer.cameraYaw, 0.0);
    EXPECT_EQ(renderer.cameraPitch, 0.0);
    EXPECT_EQ(pointerSeen(), std::make_pair(436, 250));
}

TEST_F(MouseLook, TurningItOnHidesAndCentresThePointerWithoutTurning) {
    renderer.mouseLook = false;
    ASSERT_TRUE(pointerAt(100, 500));
    pushMouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
    renderer.handleInput();
    EXPECT_TRUE(renderer.mouseLook);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(pointerSeen(), std::make_pair(400, 300));
    EXPECT_EQ(renderer.cameraYaw, 0.0);
    EXPECT_EQ(renderer.cameraPitch, 0.0);
}

}  // namespace
