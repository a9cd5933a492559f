#pragma once

#include <SDL_keysym.h>

#include <vector>

struct PanelState;

// What a key does; the input pass carries it out. The fly keys and the
// adjustment keys act while held, the others once per press.
enum class KeyAction {
    flyForward, flyBack, flyRight, flyLeft, flyUp, flyDown,
    // Held adjustments, in the order of Controls::held.
    clipFarther, clipNearer, pointBigger, pointSmaller, lineWider, lineThinner, moreAlpha, lessAlpha,
    renderMode, look, filled, outlines, corners, planePoints, nextPlane, previousPlane,
    oneGroup, nextGroup, previousGroup, reset, fit, nextSpawn, previousSpawn,
    markers, nextEntity, previousEntity, printCamera, faster, slower, screenshot, reload,
    levelPage, keysPage, viewPage, entityPage, quit,
    hideMaterial, isolateMaterial, showAllMaterials, dropMark, removeMark,
};

// Which state of Shift a binding asks for.
enum class ShiftState { any, up, down };

struct KeyBinding {
    SDLKey key;
    KeyAction action;
    ShiftState shift = ShiftState::any;
};

// One line of the key help: the keys as the user reads them, what they do,
// for a key that switches something its current state, and the keys bound.
// The panel's keys page, README's key table and the input pass all read
// these rows, in this order, so a new binding is made by adding its row here.
struct KeyHelp {
    const char* keys;
    const char* action;
    const char* (*state)(const PanelState&);  // null for keys that switch nothing
    std::vector<KeyBinding> bindings;          // none for the mouse and Shift
};

extern const std::vector<KeyHelp> keyHelp;

// The action bound to a key with Shift up or down, or null.
const KeyAction* boundAction(SDLKey key, bool shift);
