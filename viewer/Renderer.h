#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "Frame.h"
#include "Pointing.h"
#include "ScreenSize.h"
#include "Surface.h"
#include "View.h"

namespace Qor {
class AssetLayers;
class BSP;
}
class LevelFile;
class SavedViews;
struct CameraRequest;
struct InputRequests;

// The viewer: it opens the window, owns the view, the input state and the GL
// resources, and runs the loop of input, camera motion and frames. It shows
// a level it does not own.
class Renderer {
public:
    explicit Renderer(ScreenSize screen = defaultScreenSize, bool fullscreen = false,
                      SurfaceKind surface = SurfaceKind::window);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void setLevel(Qor::BSP* shown);
    void run();

    // Opens the window (or the offscreen buffer) and sets the first GL state.
    void initGL();

    // One loop turn's parts.
    void handleInput();
    void updateCamera();
    void drawFrame();
    // What the frame does first: while page 3 is shown, points at the pixel
    // pointed at.
    void updatePointing();
    // The r key's reset, with OpenGL's sizes and blending put back to match.
    void resetView();
    void placeCamera(const CameraRequest& request);
    // The camera and look saved in slot N for this level; false when none is.
    bool goToSavedView(int slot);
    void saveView(int slot);
    void fitLevel();

    // What the panel shows of the viewer this frame.
    PanelState panelState() const;

    // What lies under pixel (x, y) of the window, from its top-left corner,
    // for the camera and settings as they are.
    Hit pointAt(int x, int y);

    Qor::BSP* level = nullptr;
    std::map<std::string, std::uint32_t> textures;
    // Where the materials' images are looked for, from each level set on;
    // null when nowhere. Set before the level.
    std::shared_ptr<const Qor::AssetLayers> assets;
    View view;
    Controls controls;
    bool running = true;
    bool fullscreen = false;
    // Set by the screenshot key, done at the end of that frame.
    bool screenshotRequested = false;

    std::vector<Qor::Marker> markers;  // the level's, made by setLevel
    // The level's triangles for pointing, built on first need, dropped by
    // setLevel; and what page 3 points at this frame.
    PickScene pickScene;
    Hit pointing;

    // The file the level came from, read again by F5 and, while watchLevel
    // is set, when it has changed on disk. Null when the level came from
    // elsewhere; not owned.
    LevelFile* levelFile = nullptr;
    bool watchLevel = true;
    bool reloadRequested = false;
    // Where Ctrl+N saves and N goes back to; null keeps no views. Not owned.
    SavedViews* savedViews = nullptr;
    double lastWatchCheck = 0.0;

    FrameResources frame;

    // Headless runs, for scripts, tests and benchmarks. A frame limit ends the
    // loop after that many turns as a quit request would; the last frame's
    // pixels are kept when asked for, read before the buffers are swapped.
    std::uint64_t frameLimit = 0;
    bool captureLastFrame = false;
    std::vector<std::uint8_t> lastFrame;  // RGBA, rows top first
    std::uint64_t framesRun = 0;
    double runSeconds = 0.0;
    // What the frames are drawn into, chosen before the GL set-up opens it.
    SurfaceKind surfaceKind = SurfaceKind::window;

private:
    void applyResetState();
    void actOnPointed(const InputRequests& requests);
    void captureFrame();
    // The screenshot key's picture, saved beside the others in the current directory.
    void saveScreenshot();
    // Between two frames: reads the level again when asked, or when its
    // file has changed (looked at about once a second).
    void refreshLevel();
};

// Thin wrappers of single platform calls around each frame.
void setupVideo(const char* caption, int width, int height, bool fullscreen, int bitsPerPixel);
void clearFrame();
void endFrame();
void shutdownVideo();
