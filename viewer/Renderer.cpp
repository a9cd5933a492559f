#include "Renderer.h"

#include <GL/gl.h>

#include <chrono>
#include <cstring>

Renderer::Renderer(const char* basePath_, ScreenSize screen, bool fullscreen_)
    : basePath(basePath_),
      fullscreen(fullscreen_),
      screenWidth(screen.first),
      screenHeight(screen.second) {
    resetView();
    initGL();
}

Renderer::~Renderer() = default;

void Renderer::setLevel(Qor::BSP* shown) {
    level = shown;
    panel.boundsKnown = false;
}

void Renderer::run() {
    if (level == nullptr) return;
    const auto started = std::chrono::steady_clock::now();
    while (running) {
        handleInput();
        updateCamera();
        clearFrame();
        drawFrame();
        ++framesRun;
        if (framesRun == frameLimit) running = false;
        if (!running && captureLastFrame) captureFrame();
        endFrame();
    }
    runSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    shutdownVideo();
}

void Renderer::captureFrame() {
    const auto width = static_cast<std::size_t>(screenWidth);
    const auto height = static_cast<std::size_t>(screenHeight);
    const std::size_t rowBytes = width * 4;
    std::vector<std::uint8_t> bottomFirst(rowBytes * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomFirst.data());
    lastFrame.resize(bottomFirst.size());
    for (std::size_t row = 0; row < height; ++row)
        std::memcpy(lastFrame.data() + row * rowBytes,
                    bottomFirst.data() + (height - 1 - row) * rowBytes, rowBytes);
    // The window shows no alpha, but blending and opaque drawing leave their
    // own in the buffer; kept, it would make the picture see-through.
    for (std::size_t alpha = 3; alpha < lastFrame.size(); alpha += 4) lastFrame[alpha] = 255;
}
