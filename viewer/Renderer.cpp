#include "Renderer.h"

#include <GL/gl.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>

#include "BSP.h"
#include "Bounds.h"
#include "CameraMotion.h"
#include "FrameTimer.h"
#include "Input.h"
#include "LevelFile.h"
#include "Png.h"
#include "SavedViews.h"
#include "Screenshot.h"

namespace {
constexpr double watchIntervalSeconds = 1.0;
}

Renderer::Renderer(ScreenSize screen, bool fullscreen_, SurfaceKind surface)
    : fullscreen(fullscreen_), surfaceKind(surface) {
    view.screenWidth = screen.first;
    view.screenHeight = screen.second;
    resetView();
    initGL();
}

Renderer::~Renderer() = default;

// A level replacing another between two frames leaves nothing of the old
// one's arrays behind.
void Renderer::setLevel(Qor::BSP* shown) {
    level = shown;
    frame.panel.boundsKnown = false;
    pickScene.release();
    markers = level != nullptr ? Qor::entityMarkers(*level) : std::vector<Qor::Marker>();
    frame.geometry.release();
    if (level != nullptr)
        frame.textures.start(assets, *level);
    else
        frame.textures.release();
    if (level != nullptr && view.drawPath == DrawPath::buffered && glContextReady())
        frame.geometry.build(*level, view.fillAlpha, view.look);
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

void Renderer::handleInput() {
    const InputRequests requests = ::handleInput(view, controls, InputScene{*level, markers});
    if (requests.quit) running = false;
    if (requests.screenshot) screenshotRequested = true;
    if (requests.reload) reloadRequested = true;
    if (requests.viewReset) applyResetState();
    if (requests.saveView != 0) saveView(requests.saveView);
    if (requests.goToView != 0) goToSavedView(requests.goToView);
    if (requests.hidePointed || requests.isolatePointed || requests.markPointed) actOnPointed(requests);
}

void Renderer::saveView(int slot) {
    if (savedViews != nullptr) savedViews->save(slot, {view.cameraPos, view.cameraYaw, view.cameraPitch, view.look});
}

// The look's arrays follow it, as the c key's do.
bool Renderer::goToSavedView(int slot) {
    const std::optional<SavedView> saved = savedViews != nullptr ? savedViews->get(slot) : std::nullopt;
    if (!saved) return false;
    view.cameraPos = saved->position;
    view.cameraYaw = saved->yaw;
    view.cameraPitch = saved->pitch;
    view.look = saved->look;
    return true;
}

// x and Shift+x act on a surface's material, m on any point pointed at;
// pointing at nothing changes nothing.
void Renderer::actOnPointed(const InputRequests& requests) {
    const std::array<int, 2> pixel = pointedPixel(view);
    const Hit hit = pointAt(pixel[0], pixel[1]);
    if (hit.kind == Hit::Kind::nothing) return;
    if (requests.markPointed) view.mark = hit.point;
    if (hit.kind != Hit::Kind::surface || hit.group >= level->textureGroups.size()) return;
    const std::uint32_t texture = level->textureGroups[hit.group].texture;
    if (requests.isolatePointed)
        view.hidden.isolateOnly(texture);
    else if (requests.hidePointed)
        view.hidden.hide(texture);
}

// OpenGL takes the held keys' sizes at once, as the frame would.
void Renderer::updateCamera() {
    ::updateCamera(view, controls, averageFrameSeconds() * timeScaleRate);
    if (glContextReady()) applySizes(view);
}

void Renderer::resetView() {
    ::resetView(view);
    applyResetState();
}

// The constructor resets the view before the window exists; the GL set-up
// applies the same values once there is a context.
void Renderer::applyResetState() {
    if (!glContextReady()) return;
    applySizes(view);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void Renderer::placeCamera(const CameraRequest& request) {
    if (request.kind != CameraRequest::Kind::view) {
        ::placeCamera(view, controls, *level, request);
        return;
    }
    if (!goToSavedView(request.view))
        std::cerr << "WARNING: View '" << request.view
                  << "' was asked for, but none is saved for this level; the camera starts at the origin.\n";
}

void Renderer::fitLevel() { ::fitLevel(view, *level); }

PanelState Renderer::panelState() const {
    PanelState state;
    state.view = view;
    state.level = level;
    if (levelFile != nullptr) {
        state.levelPath = levelFile->path();
        state.levelLoadMilliseconds = levelFile->loadMilliseconds();
        state.failedReload = levelFile->failedReload();
    }
    state.bounds = frame.panel.bounds;
    state.framesPerSecond = averageFrameRate();
    state.millisecondsPerFrame = averageFrameSeconds() * 1000.0;
    state.pointing = pointing;
    if (frame.textures.configured()) state.images = &frame.textures.images();
    return state;
}

void Renderer::drawFrame() {
    updatePointing();
    // The bounds take a walk over every vertex: once per level, when the panel first shows.
    if (view.overlayVisible && !frame.panel.boundsKnown) {
        frame.panel.bounds = Qor::levelBounds(*level);
        frame.panel.boundsKnown = true;
    }
    // The pages that tell of the images wait for them, as the textured look does.
    if (view.overlayVisible && (view.overlayPage == 1 || view.overlayPage == 3)) frame.textures.collect();
    ::drawFrame(panelState(), markers, frame);
}

// Page 3 tells what lies under the pixel pointed at, as this frame shows it.
void Renderer::updatePointing() {
    if (!pointingShown(view)) return;
    const std::array<int, 2> pixel = pointedPixel(view);
    pointing = pointAt(pixel[0], pixel[1]);
}

void Renderer::captureFrame() {
    const auto width = static_cast<std::size_t>(view.screenWidth);
    const auto height = static_cast<std::size_t>(view.screenHeight);
    const std::size_t rowBytes = width * 4;
    std::vector<std::uint8_t> bottomFirst(rowBytes * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, view.screenWidth, view.screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomFirst.data());
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
    if (writePng(path, view.screenWidth, view.screenHeight, lastFrame))
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
