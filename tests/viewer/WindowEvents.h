#pragma once

// What the tests of a viewer in a real window share: key events as the
// keyboard gives them, the frame read back before the swap, and the viewer
// itself with the display held for it.

#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "Renderer.h"
#include "TestSupport.h"

// A press, with the character typed, or a release.
inline void pushKey(SDLKey key, bool down = true, SDLMod modifiers = KMOD_NONE, char typed = 0) {
    SDL_Event event{static_cast<Uint8>(down ? SDL_KEYDOWN : SDL_KEYUP)};
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.keysym.unicode = static_cast<Uint16>(typed);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

using RgbPixel = std::array<std::uint8_t, 3>;
const RgbPixel white{255, 255, 255};

// The first three channels of a pixel, each within the tolerance.
MATCHER_P2(IsColour, wanted, tolerance, "") {
    for (std::size_t k = 0; k < 3; ++k)
        if (std::abs(arg[k] - wanted[k]) > tolerance) return false;
    return true;
}

// One frame drawn as the run loop draws it, as 8-bit RGB, rows bottom first.
inline std::vector<RgbPixel> drawnFrame(Renderer& renderer, int width, int height) {
    clearFrame();
    renderer.drawFrame();
    std::vector<RgbPixel> pixels(static_cast<std::size_t>(width * height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows of an odd width
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// One triangle of these corners, in one group of this texture.
inline Qor::LevelContents oneTriangle(std::vector<Qor::Vertex> corners, std::uint32_t texture = 0) {
    Qor::LevelContents contents;
    contents.vertices = std::move(corners);
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    contents.textureGroups = {{texture, 0, 3, 0, 3}};
    return contents;
}

// A viewer in a real window of this size; video is shut down after it.
class ViewerWindow : public ::testing::Test {
protected:
    explicit ViewerWindow(ScreenSize screen = defaultScreenSize) : size(screen), renderer(screen) {}
    ~ViewerWindow() override { shutdownVideo(); }

    void show(const std::string& path) {
        level = std::make_unique<Qor::BSP>("", path.c_str());
        renderer.setLevel(level.get());
    }
    void show(const Qor::LevelContents& contents) { show(testsupport::writeLevel("shown.d3dbsp", contents)); }

    // Mouse look off, as the viewer leaves it when turned off, so that
    // wherever the display's pointer is cannot turn the camera.
    void leavePointerFree() {
        renderer.view.mouseLook = false;
        SDL_ShowCursor(SDL_ENABLE);
    }

    // The camera's place, yaw and pitch, to set or compare in one go.
    auto cameraPose() { return std::tie(renderer.view.cameraPos, renderer.view.cameraYaw, renderer.view.cameraPitch); }

    // A key pressed, and the input pass that takes it.
    void step(SDLKey key, SDLMod modifiers = KMOD_NONE) {
        pushKey(key, true, modifiers);
        renderer.handleInput();
    }

    std::vector<RgbPixel> picture() { return drawnFrame(renderer, size.first, size.second); }
    // Where pixel (x, y), counted from the window's top left, lies in a picture.
    std::size_t pixelIndex(int x, int y) const {
        return static_cast<std::size_t>((size.second - 1 - y) * size.first + x);
    }

    // Columns and rows (from the bottom) of the pixels of exactly this
    // colour: left, bottom, right, top, or all -1 when there are none.
    std::array<int, 4> extent(const std::vector<RgbPixel>& picture, const RgbPixel& colour) const {
        std::array<int, 4> box{size.first, size.second, -1, -1};
        for (int y = 0; y < size.second; ++y)
            for (int x = 0; x < size.first; ++x)
                if (picture[static_cast<std::size_t>(y * size.first + x)] == colour)
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
        return box[2] < 0 ? std::array<int, 4>{-1, -1, -1, -1} : box;
    }

    bool displayHeld = testsupport::holdDisplay();
    ScreenSize size;
    Renderer renderer;
    std::unique_ptr<Qor::BSP> level;
};
