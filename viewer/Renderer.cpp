#include "Renderer.h"

#include <GL/gl.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>

#include "BSP.h"
#include "FrameTimer.h"
#include "LevelFile.h"
#include "Png.h"
#include "Screenshot.h"

namespace {
constexpr double watchIntervalSeconds = 1.0;
}

Renderer::Renderer(const char* basePath_, ScreenSize screen, bool fullscreen_, SurfaceKind surface)
    : basePath(basePath_),
      fullscreen(fullscreen_),
      screenWidth(screen.first),
      screenHeight(screen.second),
      surfaceKind(surface) {
    resetView();
    initGL();
}

Renderer::~Renderer() = default;

// A level replacing another between two frames leaves nothing of the old
// one's arrays behind.
void Renderer::setLevel(Qor::BSP* shown) {
    level = shown;
    panel.boundsKnown = false;
    pickScene.release();
    markers = level != nullptr ? Qor::entityMarkers(*level) : std::vector<Qor::Marker>();
    geometry.release();
    if (level != nullptr && drawPath == DrawPath::buffered && glContextReady())
        geometry.build(*level, fillAlpha, look);
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
        if (screenshotRequested) saveScreenshot();
        endFrame();
        refreshLevel();
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

void Renderer::saveScreenshot() {
    screenshotRequested = false;
    captureFrame();
    const std::string path = nextScreenshotPath(level->fileName);
    if (writePng(path, screenWidth, screenHeight, lastFrame))
        std::cout << "Saved screenshot '" << path << "'." << std::endl;
    else
        std::cerr << "ERROR: Could not write screenshot file '" << path << "'.\n";
}

void Renderer::refreshLevel() {
    if (levelFile == nullptr) return;
    bool due = reloadRequested;
    reloadRequested = false;
    const double now = currentSeconds();
    if (watchLevel && now - lastWatchCheck >= watchIntervalSeconds) {
        lastWatchCheck = now;
        due = levelFile->changedOnDisk() || due;
    }
    if (!due) return;
    // The old level lives until the viewer has let go of it.
    const std::unique_ptr<Qor::BSP> replaced = levelFile->reload();
    if (replaced) setLevel(levelFile->level());
}
