#pragma once

// What the tests of a viewer in a real window share: key events as the
// keyboard gives them, and the frame read back before the swap.

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "Renderer.h"

// A press, with the character typed, or a release.
inline void pushKey(SDLKey key, bool down = true, SDLMod modifiers = KMOD_NONE, char typed = 0) {
    SDL_Event event{static_cast<Uint8>(down ? SDL_KEYDOWN : SDL_KEYUP)};
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.keysym.unicode = static_cast<Uint16>(typed);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

using RgbPixel = std::array<std::uint8_t, 3>;

// One frame drawn as the run loop draws it, as 8-bit RGB, rows bottom first.
inline std::vector<RgbPixel> drawnFrame(Renderer& renderer, int width, int height) {
    clearFrame();
    renderer.drawFrame();
    std::vector<RgbPixel> pixels(static_cast<std::size_t>(width * height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);  // rows of an odd width
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
