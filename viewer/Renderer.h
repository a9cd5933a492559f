#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "DrawPath.h"
#include "GeometryBuffers.h"
#include "Look.h"
#include "Panel.h"
#include "Pointing.h"
#include "ScreenSize.h"
#include "Surface.h"

struct PanelState;

namespace Qor {
class BSP;
}
class LevelFile;
struct CameraRequest;

// The viewer: window, camera, input state and view settings. It shows a level
// it does not own. Input, camera motion and drawing read and write these
// fields directly; they are listed in the order the viewer's state is
// described, with their initial values.
class Renderer {
public:
    explicit Renderer(const char* basePath, ScreenSize screen = defaultScreenSize, bool fullscreen = false,
                      SurfaceKind surface = SurfaceKind::window);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void setLevel(Qor::BSP* shown);
    void run();

    // Window and GL state (viewer/).
    void initGL();

    // Input and camera motion (input/).
    void handleInput();
    void updateCamera();
    double timeScale() const;
    // Camera placement; none of them touches the velocity or the view settings
    // but for fitting's clip distances.
    void placeCamera(const CameraRequest& request);
    void fitLevel();
    // Spawn point `index` (from 0) of the level; false when it has no such one.
    bool goToSpawn(std::size_t index);
    // Tab and Shift+Tab: the next or previous spawn point, round the list.
    void stepSpawn(bool backward);
    // j and k: the next or previous entity with an origin, round the list,
    // looked at from a little above.
    void stepEntity(bool backward);

    // Frame composition and the geometry passes (render/).
    void resetView();
    void drawFrame();
    void setupPerspective();
    void setupOrthographic();
    void drawPlanePoints();
    void drawFilledTriangles();
    void drawWireframe();
    void drawCornerPoints();
    void drawPanel();
    PanelState panelState() const;
    // Entity markers and their labels, and what page 3 points at
    // (render/Markers.cpp).
    void drawMarkers();
    void drawLabels();
    void drawPointedTriangle();
    void drawCrosshair();

    // What lies under pixel (x, y) of the window, from its top-left corner,
    // for the camera and settings as they are (viewer/Pointing.cpp).
    Hit pointAt(int x, int y);
    // The pixel pointed at: the window's centre while mouse look is on, else
    // the pointer's.
    std::array<int, 2> pointedPixel() const;

    Qor::BSP* level = nullptr;
    std::string basePath;
    std::map<std::string, std::uint32_t> textures;
    std::array<double, 3> cameraPos{0.0, 0.0, 0.0};
    std::array<double, 3> cameraVelocity{0.0, 0.0, 0.0};
    std::int32_t moveSideways = 0;
    std::int32_t moveForward = 0;
    std::int32_t moveVertical = 0;
    double cameraYaw = 0.0;
    double cameraPitch = 0.0;
    double nearPlane = 10.0;
    double farPlane = 10000.0;
    double pointSize = 1.0;
    double lineWidth = 1.0;
    double fillAlpha = 0.1;
    bool runHeld = false;
    double speedFactor = 1.0;
    std::array<std::uint8_t, 256> keyDown{};
    bool running = true;
    bool mouseLook = true;
    bool fullscreen = false;
    std::uint32_t renderMode = 2;
    bool overlayVisible = false;
    bool showCornerPoints = true;
    bool showFilled = true;
    bool showWireframe = true;
    bool showPlanePoints = false;
    bool singleGroup = false;
    bool singlePlane = false;
    std::uint32_t selectedGroup = 0;
    std::uint32_t selectedPlane = 0;
    std::int32_t overlayPage = 0;
    std::int32_t screenWidth = 800;
    std::int32_t screenHeight = 600;

    // Multiplies the camera drive as speedFactor does; the = and - keys
    // double and halve it.
    double flySpeed = 1.0;
    // The spawn point Tab last went to, or -1 before the first.
    std::int64_t spawnCursor = -1;
    // Set by the screenshot key, done at the end of that frame.
    bool screenshotRequested = false;

    // Entity markers (the n key); the selected entity, a position in the
    // level's entities, or -1 before j or k.
    bool showMarkers = false;
    std::int64_t selectedEntity = -1;
    std::vector<Qor::Marker> markers;  // the level's, made by setLevel
    // The pointer's pixel at the last input pass while mouse look was off.
    std::array<int, 2> pointer{0, 0};
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
    double lastWatchCheck = 0.0;

    DrawPath drawPath = DrawPath::buffered;
    // How the filled triangles show the level; the c key steps it and the
    // view reset leaves it.
    Look look = Look::classic;
    GeometryBuffers geometry;  // the level's arrays, rebuilt by setLevel

    // The information panel's glyphs and what it keeps of the level shown
    // (render/Panel.cpp).
    PanelCache panel;

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
