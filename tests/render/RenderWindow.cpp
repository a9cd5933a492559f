#include "RenderWindow.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

#include "TestSupport.h"

bool isLit(const Pixel& pixel) { return pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0; }

WindowPoint windowPointOf(float x, float z, float distance) {
    // A vertical field of view of 45 degrees and an aspect of 1.
    const double halfExtent = distance * std::tan(22.5 * M_PI / 180.0);
    auto toPixel = [](double ndc) { return static_cast<int>(std::floor((ndc + 1.0) * windowSize / 2.0)); };
    return {toPixel(x / halfExtent), toPixel(z / halfExtent)};
}

Qor::Vertex wallVertex(float x, float z, float distance, std::uint8_t alpha) {
    return Qor::Vertex{x, distance, z, alpha};
}

std::size_t addTriangle(Qor::LevelContents& contents, std::uint32_t texture, const Qor::Vertex& a,
                        const Qor::Vertex& b, const Qor::Vertex& c) {
    const auto firstVertex = static_cast<std::uint32_t>(contents.vertices.size());
    const auto firstIndex = static_cast<std::uint32_t>(contents.triangles.size() * 3);
    contents.vertices.insert(contents.vertices.end(), {a, b, c});
    contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    contents.textureGroups.push_back(Qor::TextureGroup{texture, firstVertex, 3, firstIndex, 3});
    return contents.textureGroups.size() - 1;
}

std::size_t addLargeTriangle(Qor::LevelContents& contents, std::uint32_t texture, float distance,
                             std::uint8_t alpha) {
    // The same size on screen at any distance.
    const float s = distance / wallDistance;
    return addTriangle(contents, texture, wallVertex(-30 * s, -30 * s, distance, alpha),
                       wallVertex(30 * s, -30 * s, distance, alpha), wallVertex(0, 30 * s, distance, alpha));
}

namespace {
float spotCentre(int spot) { return -30.0f + 20.0f * static_cast<float>(spot); }
}  // namespace

std::array<Qor::Vertex, 3> spotCorners(int spot) {
    const float x = spotCentre(spot);
    return {wallVertex(x - 6, -6), wallVertex(x + 6, -6), wallVertex(x, 8)};
}

WindowPoint spotPoint(int spot) { return windowPointOf(spotCentre(spot), 0.0f); }

RenderWindow::RenderWindow() : renderer("", {windowSize, windowSize}) {}

RenderWindow::~RenderWindow() { shutdownVideo(); }

void RenderWindow::show(const Qor::LevelContents& contents) {
    const std::string path = testsupport::writeLevel("shown.d3dbsp", contents);
    level = std::make_unique<Qor::BSP>("", path.c_str());
    renderer.setLevel(level.get());
}

void RenderWindow::onlyPasses(bool filled, bool wireframe, bool corners) {
    renderer.showFilled = filled;
    renderer.showWireframe = wireframe;
    renderer.showCornerPoints = corners;
}

void RenderWindow::drawOneFrame() {
    clearFrame();
    renderer.drawFrame();
}

Pixel RenderWindow::pixelAt(WindowPoint point) const {
    std::uint8_t rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(point.x, point.y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

std::vector<Pixel> RenderWindow::allPixels() const {
    std::vector<std::uint8_t> rgba(windowSize * windowSize * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, windowSize, windowSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<Pixel> pixels;
    for (std::size_t at = 0; at < rgba.size(); at += 4) pixels.push_back({rgba[at], rgba[at + 1], rgba[at + 2]});
    return pixels;
}

std::vector<Pixel> RenderWindow::litPixels() const {
    std::vector<Pixel> lit;
    for (const Pixel& pixel : allPixels())
        if (isLit(pixel)) lit.push_back(pixel);
    return lit;
}

std::vector<WindowPoint> RenderWindow::litPoints() const {
    const std::vector<Pixel> pixels = allPixels();
    std::vector<WindowPoint> lit;
    for (int y = 0; y < windowSize; ++y)
        for (int x = 0; x < windowSize; ++x)
            if (isLit(pixels[static_cast<std::size_t>(y * windowSize + x)])) lit.push_back({x, y});
    return lit;
}
