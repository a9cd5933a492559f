#pragma once

// What is seen and how: the camera, the passes and their settings, the look,
// the selections and the window they are drawn for. Input writes it; the
// drawing, the panel and pointing read it. It holds neither GL state nor the
// level, so a frame's choices can be made and checked without a window.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "DrawPath.h"
#include "Look.h"

// How the classic look's passes combine: opaque with a depth test, blended
// by alpha, or added up without a depth test.
enum class RenderMode : std::uint32_t { opaque, blend, additive };

// The b key's step: opaque, blend, additive, and round again.
RenderMode nextRenderMode(RenderMode mode);
const char* renderModeName(RenderMode mode);

// Whether a frame drawn in this render mode and look tests and fills the
// depth buffer, so that whatever is drawn over the level can be hidden by it:
// the opaque render mode, or any look but classic.
inline bool depthTested(RenderMode mode, Look look) { return look != Look::classic || mode == RenderMode::opaque; }

// The find prompt, which / opens at the bottom of the window: what is typed,
// and the match Enter last went to (its number from 1 of how many, and its
// label), 0 before the first Enter since the text last changed.
struct FindPrompt {
    bool open = false;
    std::string text;
    std::size_t current = 0;
    std::size_t total = 0;
    std::string label;
    // False when Enter found no match, or a match with nothing the camera can go to.
    bool reached = true;
    // The material whose triangles are outlined while the prompt is open, or -1.
    std::int64_t material = -1;
};

struct View {
    std::array<double, 3> cameraPos{0.0, 0.0, 0.0};
    double cameraYaw = 0.0;    // radians, 0 along +y, growing toward +x
    double cameraPitch = 0.0;  // radians, positive looking up
    double nearPlane = 10.0;
    double farPlane = 10000.0;
    double pointSize = 1.0;
    double lineWidth = 1.0;
    double fillAlpha = 0.1;
    // 4 while Shift is held; scales the camera drive and the held adjustments.
    double speedFactor = 1.0;
    // Multiplies the camera drive as speedFactor does; = and - double and halve it.
    double flySpeed = 1.0;
    bool mouseLook = true;
    RenderMode renderMode = RenderMode::additive;
    bool overlayVisible = false;
    std::int32_t overlayPage = 0;
    bool showCornerPoints = true;
    bool showFilled = true;
    bool showWireframe = true;
    bool showPlanePoints = false;
    bool singleGroup = false;
    bool singlePlane = false;
    std::uint32_t selectedGroup = 0;
    std::uint32_t selectedPlane = 0;
    Look look = Look::classic;
    // One-sided surfaces (the f key): triangles seen from behind are left
    // out of every pass and of pointing. r leaves it as it is.
    bool cull = false;
    DrawPath drawPath = DrawPath::buffered;
    // Entity markers (the n key); the selected entity, a position in the
    // level's entities, or -1 before j or k.
    bool showMarkers = false;
    std::int64_t selectedEntity = -1;
    // The pointer's pixel at the last input pass while mouse look was off.
    std::array<int, 2> pointer{0, 0};
    FindPrompt find;
    std::int32_t screenWidth = 800;
    std::int32_t screenHeight = 600;
};

// What r puts back: the clip distances, sizes, fill alpha, render mode, panel,
// passes and selections. The camera, the look, one-sided drawing and the
// markers stay.
void resetView(View& view);

// The pixel pointed at: the window's centre while mouse look is on, else the
// pointer's.
std::array<int, 2> pointedPixel(const View& view);

// Whether page 3, which tells what lies under the pixel pointed at, is shown.
inline bool pointingShown(const View& view) { return view.overlayVisible && view.overlayPage == 3; }
