#pragma once

// The input pass and the camera's motion: SDL's events decoded, looked up
// in the key table and carried out on the view, and the view's camera moved
// once a frame. What only the viewer can do (quit, a screenshot, reading the
// level again) comes back as requests.

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "CameraRequest.h"
#include "Controls.h"
#include "EntityMarkers.h"
#include "Find.h"
#include "KeyHelp.h"
#include "View.h"

namespace Qor {
class BSP;
}

// The level the keys act on, with its entity markers in entity order.
struct InputScene {
    const Qor::BSP& level;
    const std::vector<Qor::Marker>& markers;
};

struct InputRequests {
    bool quit = false;
    bool viewReset = false;  // r: the view is reset, OpenGL's state is the viewer's to match
    bool screenshot = false;
    bool reload = false;
    // Ctrl+N and N: save the camera to slot N, or go back to it; 0 for none.
    int saveView = 0;
    int goToView = 0;
};

// One SDL event as the input pass reads it.
struct InputEvent {
    enum class Kind { other, quit, click, key };
    Kind kind = Kind::other;
    SDLKey key = SDLK_UNKNOWN;
    bool pressed = false;
    bool shift = false;  // as the key event's own modifiers give it
    bool ctrl = false;
    char text = 0;       // the printable ASCII character the key types, or 0
};

InputEvent decodeEvent(const SDL_Event& event);

// Carries out one key's press or release.
void applyKey(KeyAction action, bool pressed, View& view, Controls& controls, const InputScene& scene,
              InputRequests& requests);

// Drains SDL's event queue: Shift, the events and, while mouse look is on,
// the pointer's travel, which turns the camera.
InputRequests handleInput(View& view, Controls& controls, const InputScene& scene);

// One frame of camera motion and held adjustments; timeScale is the mean
// frame time times the drive rate.
void updateCamera(View& view, Controls& controls, double timeScale);

// Camera placement; none of them touches the velocity or the view settings
// but for fitting's clip distances.
void placeCamera(View& view, Controls& controls, const Qor::BSP& level, const CameraRequest& request);
void fitLevel(View& view, const Qor::BSP& level);
// Spawn point `index` (from 0) of the level; false when it has no such one.
bool goToSpawn(View& view, Controls& controls, const Qor::BSP& level, std::size_t index);
// Tab and Shift+Tab: the next or previous spawn point, round the list.
void stepSpawn(View& view, Controls& controls, const Qor::BSP& level, bool backward);
// j and k: the next or previous entity with an origin, round the list,
// looked at from a little above.
void stepEntity(View& view, const std::vector<Qor::Marker>& markers, bool backward);
// What j and k do at one marker: select its entity and look at it.
void focusEntity(View& view, const Qor::Marker& marker);

// The find prompt. / opens it empty; while it is open every key goes to it.
void openFind(View& view, Controls& controls);
void applyFindKey(const InputEvent& event, View& view, const InputScene& scene);
// Enter and Shift+Enter: the camera goes to the next or previous match of
// the prompt's text; false when nothing matches.
bool stepFind(View& view, const InputScene& scene, bool backward);
// A material is looked at from this far along its nearest triangle's normal.
constexpr double materialViewDistance = 256.0;
// The camera in front of a found triangle, facing it.
void lookAtTriangle(View& view, const Qor::FoundTriangle& found);
