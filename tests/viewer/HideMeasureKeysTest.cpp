#include "MaterialColours.h"
#include "WindowEvents.h"

// x, Shift+x, u, m and Shift+m as real key events reach a viewer: what lies
// under the window's centre in mouse look is hidden, isolated or marked, and
// the frames show it.

namespace {

using ::testing::DoubleNear;
using ::testing::Pointwise;

constexpr int side = 200;

// The shell level in a 200 x 200 window, shaded without outlines or corner
// points, from the origin along +y:
// the crate's face fills the centre, the shell's far wall is all around it,
// each lit squarely and so in its material's full colour.
class HideMeasureKeys : public ViewerWindow {
protected:
    HideMeasureKeys() : ViewerWindow({side, side}) {
        show(testsupport::shellLevel());
        renderer.view.look = Look::shaded;
        renderer.view.showWireframe = false;
        renderer.view.showCornerPoints = false;
        SDL_WarpMouse(side / 2, side / 2);
    }

    // One loop turn as the viewer runs it: input, then a frame; the pixel
    // at (x, y) from the top left.
    RgbPixel pressThenLook(SDLKey key, SDLMod modifiers, int x, int y) {
        pushKey(key, true, modifiers);
        pushKey(key, false, modifiers);
        SDL_WarpMouse(side / 2, side / 2);
        renderer.handleInput();
        return pixel(x, y);
    }

    RgbPixel pixel(int x, int y) { return picture()[pixelIndex(x, y)]; }

    Qor::Rgb colourOf(std::uint32_t texture) const { return Qor::textureColour(*level, texture); }
};

template <class Colour>
auto Near(const Colour& wanted) {
    return IsColour(wanted, 2);
}

TEST_F(HideMeasureKeys, XHidesThePointedMaterialShiftXIsolatesItAndUShowsAllAgain) {
    ASSERT_TRUE(renderer.view.mouseLook);
    const Qor::Rgb crate = colourOf(0);
    const Qor::Rgb wall = colourOf(1);
    const RgbPixel black{0, 0, 0};
    ASSERT_THAT(pixel(100, 100), Near(crate));
    ASSERT_THAT(pixel(10, 100), Near(wall));

    EXPECT_THAT(pressThenLook(SDLK_x, KMOD_NONE, 100, 100), Near(wall)) << "the crate hidden, the wall behind";
    EXPECT_EQ(renderer.view.hidden.textures, std::vector<std::uint32_t>{0});
    EXPECT_THAT(pressThenLook(SDLK_x, KMOD_NONE, 100, 100), Near(black)) << "and then the wall";
    EXPECT_THAT(pressThenLook(SDLK_x, KMOD_NONE, 100, 100), Near(black)) << "nothing pointed at: nothing changes";
    EXPECT_EQ(renderer.view.hidden.textures, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_THAT(pressThenLook(SDLK_u, KMOD_NONE, 100, 100), Near(crate));
    EXPECT_TRUE(renderer.view.hidden.showsAll());

    EXPECT_THAT(pressThenLook(SDLK_x, KMOD_LSHIFT, 100, 100), Near(crate)) << "the crate isolated";
    EXPECT_THAT(pixel(10, 100), Near(black)) << "the wall around it gone";
    EXPECT_TRUE(renderer.view.hidden.isolate);
    // x on the isolated material leaves nothing; u brings everything back.
    EXPECT_THAT(pressThenLook(SDLK_x, KMOD_NONE, 100, 100), Near(black));
    EXPECT_THAT(pressThenLook(SDLK_u, KMOD_NONE, 10, 100), Near(wall));
    // r resets the view's settings, not what is hidden.
    pressThenLook(SDLK_x, KMOD_NONE, 100, 100);
    pressThenLook(SDLK_r, KMOD_NONE, 100, 100);
    EXPECT_FALSE(renderer.view.hidden.showsAll());
}

TEST_F(HideMeasureKeys, MMarksThePointedPointWithAWhiteCrossOverEverythingAndShiftMRemovesIt) {
    EXPECT_FALSE(renderer.view.mark);
    pressThenLook(SDLK_m, KMOD_NONE, 100, 100);
    ASSERT_TRUE(renderer.view.mark);
    // The centre pixel's ray, half a pixel right of and below the axis, meets
    // the crate's face at y 280.
    const double off = 0.5 / (side / 2.0) * std::tan(22.5 * M_PI / 180.0) * 280.0;
    EXPECT_THAT(*renderer.view.mark, Pointwise(DoubleNear(1e-3), std::vector<double>{off, 280, -off}));
    // The cross's arms along x and z reach 8 pixels each way on the screen.
    for (const int d : {-6, -3, 3, 6}) {
        EXPECT_THAT(pixel(100 + d, 100), Near(white)) << d;
        EXPECT_THAT(pixel(100, 100 + d), Near(white)) << d;
    }
    EXPECT_THAT(pixel(112, 100), Near(colourOf(0)));

    // m again moves the mark: with the crate hidden, to the wall behind it.
    renderer.view.hidden.hide(0);
    pressThenLook(SDLK_m, KMOD_NONE, 100, 100);
    EXPECT_NEAR((*renderer.view.mark)[1], 1000.0, 1e-3);
    renderer.view.hidden.showAll();
    // The crate now stands in front of the mark; the cross shows over it.
    EXPECT_THAT(pixel(103, 100), Near(white));

    pressThenLook(SDLK_m, KMOD_LSHIFT, 100, 100);
    EXPECT_FALSE(renderer.view.mark);
    EXPECT_THAT(pixel(103, 100), Near(colourOf(0)));
}

// With page 3 shown, a white line joins the mark to the point pointed at:
// in a window tall enough for the line to pass below the panel, both on the
// shell's far wall on one row, so the line runs along that row.
class MeasureLine : public ViewerWindow {
protected:
    MeasureLine() : ViewerWindow({300, 1000}) {}
};

TEST_F(MeasureLine, PageThreeJoinsTheMarkToThePointPointedAtWithAWhiteLine) {
    show(testsupport::shellLevel());
    renderer.view.renderMode = RenderMode::opaque;
    renderer.view.mouseLook = false;
    renderer.view.pointer = {270, 900};
    const double t = std::tan(22.5 * M_PI / 180.0);
    // Pixel 30, 900's centre on the far wall, 1000 ahead.
    renderer.view.mark = std::array<double, 3>{(30.5 / 150 - 1.0) * t * 0.3 * 1000.0, 1000.0,
                                               (1.0 - 900.5 / 500) * t * 1000.0};
    std::vector<RgbPixel> shown = picture();
    const auto whiteAt = [&](int x, int y) { return shown[pixelIndex(x, y)] == white; };
    EXPECT_TRUE(whiteAt(30 + 4, 900)) << "the cross";
    EXPECT_FALSE(whiteAt(100, 900) || whiteAt(200, 900)) << "no line without page 3";
    renderer.view.overlayVisible = true;
    renderer.view.overlayPage = 3;
    shown = picture();
    ASSERT_EQ(renderer.pointing.kind, Hit::Kind::surface);
    for (const int x : {50, 100, 200, 250}) EXPECT_TRUE(whiteAt(x, 900)) << x;
    EXPECT_FALSE(whiteAt(100, 890) || whiteAt(100, 910)) << "one pixel wide";
}

}  // namespace
