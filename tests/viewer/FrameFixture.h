#pragma once

// Real windows with GL contexts, levels written by the level writer and
// frames drawn as the run loop draws them, read back before the swap. The
// camera starts at the origin looking along +y, z up; a 45-degree view in a
// square window. One fixture for the frame tests of every file.

#include <algorithm>
#include <utility>

#include "MaterialColours.h"
#include "Normals.h"
#include "WindowEvents.h"

namespace frametest {

using ::testing::FloatEq;
using ::testing::Pointwise;

using Pixel = std::array<std::uint8_t, 4>;  // red, green, blue, alpha
using Rgb = std::array<int, 3>;
constexpr int windowSize = 200;
const Rgb black{0, 0, 0};
const Rgb red{255, 0, 0};

template <class Bytes>
inline Rgb rgbOf(const Bytes& bytes) {
    return {bytes[0], bytes[1], bytes[2]};
}

inline Rgb scaled(const Rgb& colour, double factor) {
    Rgb out{};
    for (std::size_t k = 0; k < 3; ++k) out[k] = static_cast<int>(std::lround(colour[k] * factor));
    return out;
}

inline std::size_t litPixels(const std::vector<Pixel>& pixels) {
    return static_cast<std::size_t>(
        std::count_if(pixels.begin(), pixels.end(), [](const Pixel& p) { return rgbOf(p) != black; }));
}

// Where (x, distance, z) shows from the start, counted from the bottom row as
// glReadPixels counts.
inline std::size_t pixelOf(float x, float z, float distance = 100) {
    const double halfExtent = distance * std::tan(22.5 * M_PI / 180.0);
    auto toPixel = [](double ndc) { return static_cast<int>(std::floor((ndc + 1.0) * windowSize / 2.0)); };
    return static_cast<std::size_t>(toPixel(z / halfExtent) * windowSize + toPixel(x / halfExtent));
}

// One group owning one upright triangle centred on (x, distance, 0),
// reaching `half` to either side and up and down, its corners otherwise as
// `like` and counter-clockwise seen from the start (so its face normal is
// -y), or the other way round.
inline void addTriangle(Qor::LevelContents& level, std::uint32_t texture, float x, float half, float distance,
                 const Qor::Vertex& like = {}, bool clockwise = false) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [cx, cz] : {std::pair(x - half, -half), std::pair(x + half, -half), std::pair(x, half)}) {
        Qor::Vertex& corner = level.vertices.emplace_back(like);
        std::tie(corner.x, corner.y, corner.z) = std::tie(cx, distance, cz);
    }
    const auto firstIndex = static_cast<std::uint32_t>(3 * level.triangles.size());
    level.textureGroups.push_back({texture, 0, first + 3, firstIndex, 3});
    level.triangles.push_back(clockwise ? Qor::Triangle{{first, first + 2, first + 1}}
                                        : Qor::Triangle{{first, first + 1, first + 2}});
}

// One square of two triangles, its corners wound as they come, in one group
// of its own, every corner storing `normal` and `colour`.
inline void addSquare(Qor::LevelContents& level, std::uint32_t texture,
                      const std::array<std::array<float, 3>, 4>& corners, const Qor::Direction& normal = {},
                      const Qor::Rgb& colour = {255, 255, 255}) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [x, y, z] : corners) level.vertices.push_back({x, y, z, 255, normal, colour});
    level.textureGroups.push_back({texture, first, 4, static_cast<std::uint32_t>(3 * level.triangles.size()), 6});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    level.triangles.push_back(Qor::Triangle{{0, 2, 3}});
}

class Render : public ViewerWindow {
protected:
    Render() : ViewerWindow({windowSize, windowSize}) {}

    // One frame on the renderer's drawing path, rows from the bottom.
    std::vector<Pixel> frame() {
        clearFrame();
        renderer.drawFrame();
        std::vector<Pixel> pixels(windowSize * windowSize);
        glReadPixels(0, 0, windowSize, windowSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // What every frame leaves for the next, as the GL set-up does for the
    // first: pixel coordinates with the origin at the top left, white, the one
    // texture, blending and no depth test, nothing of a look's own state, no
    // array and no buffer.
    void expectScreenSpaceState(GLenum blendDestination,
                                std::vector<std::pair<GLenum, std::vector<GLfloat>>> states = {}) const {
        const GLfloat w = 2.0f / windowSize;
        states.insert(states.end(), {
            {GL_PROJECTION_MATRIX, {w, 0, 0, 0, 0, -w, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1}},
            {GL_MODELVIEW_MATRIX, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
            {GL_MATRIX_MODE, {GL_MODELVIEW}}, {GL_CURRENT_COLOR, {1, 1, 1, 1}}, {GL_TEXTURE_2D, {GL_TRUE}},
            {GL_TEXTURE_BINDING_2D, {static_cast<GLfloat>(renderer.textures.at("text_background"))}},
            {GL_BLEND, {GL_TRUE}}, {GL_BLEND_SRC, {GL_SRC_ALPHA}},
            {GL_BLEND_DST, {static_cast<GLfloat>(blendDestination)}}, {GL_DEPTH_TEST, {GL_FALSE}},
            {GL_LIGHTING, {GL_FALSE}}, {GL_LIGHT0, {GL_FALSE}}, {GL_LIGHT1, {GL_FALSE}},
            {GL_COLOR_MATERIAL, {GL_FALSE}}, {GL_POLYGON_OFFSET_FILL, {GL_FALSE}}, {GL_NORMAL_ARRAY, {GL_FALSE}},
            {GL_VERTEX_ARRAY, {GL_FALSE}}, {GL_COLOR_ARRAY, {GL_FALSE}}, {GL_TEXTURE_COORD_ARRAY, {GL_FALSE}},
            {GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING, {0}}, {GL_ARRAY_BUFFER_BINDING, {0}},
            {GL_ELEMENT_ARRAY_BUFFER_BINDING, {0}}, {GL_VERTEX_ARRAY_BUFFER_BINDING, {0}},
            {GL_COLOR_ARRAY_BUFFER_BINDING, {0}}, {GL_NORMAL_ARRAY_BUFFER_BINDING, {0}},
            {GL_CULL_FACE, {GL_FALSE}}, {GL_POLYGON_MODE, {GL_FILL, GL_FILL}}});
        for (const auto& [name, wanted] : states) {
            GLfloat actual[16] = {};
            glGetFloatv(name, actual);
            EXPECT_THAT(std::vector<GLfloat>(actual, actual + wanted.size()), Pointwise(FloatEq(), wanted))
                << "GL state " << name;
        }
    }

    // The same frame drawn by the glBegin/glEnd passes and from the arrays
    // must be the same, byte for byte; the arrays' frame is returned.
    std::vector<Pixel> expectSameFrame() {
        std::vector<Pixel> frames[2];
        for (const DrawPath path : {DrawPath::immediate, DrawPath::buffered}) {
            renderer.view.drawPath = path;
            frames[path == DrawPath::buffered] = frame();
            expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
        }
        const auto pixel = std::mismatch(frames[0].begin(), frames[0].end(), frames[1].begin()).first -
                           frames[0].begin();
        EXPECT_EQ(pixel, windowSize * windowSize) << "first difference in column " << pixel % windowSize
                                                  << ", row " << pixel / windowSize << " from the bottom";
        return frames[1];
    }

    // The camera `distance` from `target` on the side the horizontal
    // direction `bearing` (radians; 0 along -y, growing toward +x) points to,
    // looking back at it.
    void lookAt(const std::array<double, 3>& target, double bearing, double distance) {
        renderer.view.cameraPos = {target[0] + distance * std::sin(bearing), target[1] - distance * std::cos(bearing),
                              target[2]};
        renderer.view.cameraYaw = -bearing;
        renderer.view.cameraPitch = 0.0;
    }
};

}  // namespace frametest
