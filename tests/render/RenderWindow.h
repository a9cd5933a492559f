#pragma once

// A real window with a GL context, a level written by the level writer and
// frames drawn as the run loop draws them, read back before any swap.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "BSP.h"
#include "LevelWriter.h"
#include "Renderer.h"

using Pixel = std::array<int, 3>;  // red, green, blue, 0 to 255

// A pixel showing this colour (channels 0 to 1) give or take rounding.
MATCHER_P3(ShowsColour, red, green, blue, "") {
    const double wanted[3] = {red * 255.0, green * 255.0, blue * 255.0};
    for (int k = 0; k < 3; ++k)
        if (arg[static_cast<std::size_t>(k)] < wanted[k] - 1.5 || arg[static_cast<std::size_t>(k)] > wanted[k] + 1.5)
            return false;
    return true;
}

bool isLit(const Pixel& pixel);

// Scenes are built on walls facing the starting camera (at the origin, looking
// along +y, z up): x runs to the right, z up, `distance` ahead.
constexpr float wallDistance = 100.0f;
constexpr int windowSize = 200;  // square, so the aspect is 1

struct WindowPoint {
    int x;
    int y;  // from the bottom row, as glReadPixels counts
};

WindowPoint windowPointOf(float x, float z, float distance = wallDistance);

Qor::Vertex wallVertex(float x, float z, float distance = wallDistance, std::uint8_t alpha = 255);

// Adds a group of the given texture owning one new triangle; returns the
// group's position.
std::size_t addTriangle(Qor::LevelContents& contents, std::uint32_t texture, const Qor::Vertex& a,
                        const Qor::Vertex& b, const Qor::Vertex& c);

// A triangle that covers the middle of the window with a wide margin.
std::size_t addLargeTriangle(Qor::LevelContents& contents, std::uint32_t texture,
                             float distance = wallDistance, std::uint8_t alpha = 255);

// Small triangles side by side, spot 0 at the left to spot 3 at the right.
constexpr int spotCount = 4;
std::array<Qor::Vertex, 3> spotCorners(int spot);
WindowPoint spotPoint(int spot);

class RenderWindow : public ::testing::Test {
protected:
    RenderWindow();
    ~RenderWindow() override;

    // Writes the level, reads it back as the viewer does and attaches it.
    void show(const Qor::LevelContents& contents);

    // Only the passes named stay on.
    void onlyPasses(bool filled, bool wireframe, bool corners);

    // Clears and draws one frame, as a turn of the run loop does before the swap.
    void drawOneFrame();
    Pixel pixelAt(WindowPoint point) const;
    std::vector<Pixel> allPixels() const;
    std::vector<Pixel> litPixels() const;
    std::vector<WindowPoint> litPoints() const;

    Renderer renderer;
    std::unique_ptr<Qor::BSP> level;
};
