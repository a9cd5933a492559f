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
    renderMode, look, cull, filled, outlines, corners, planePoints, nextPlane, previousPlane,
    oneGroup, nextGroup, previousGroup, reset, fit, nextSpawn, previousSpawn,
    markers, nextEntity, previousEntity, printCamera, faster, slower, screenshot, reload,
    // The find prompt; saving the camera to slot N and going back to it, slots 1 to 9 in order.
    find, saveView1, saveView2, saveView3, saveView4, saveView5, saveView6, saveView7, saveView8, saveView9,
    goToView1, goToView2, goToView3, goToView4, goToView5, goToView6, goToView7, goToView8, goToView9,
    levelPage, keysPage, viewPage, entityPage, quit,
};

// Which state of Shift a binding asks for.
enum class ShiftState { any, up, down };

struct KeyBinding {
    SDLKey key;
    KeyAction action;
    ShiftState shift = ShiftState::any;
    ShiftState ctrl = ShiftState::any;  // the same three states, for Ctrl
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

// The action bound to a key with Shift and Ctrl up or down, or null.
const KeyAction* boundAction(SDLKey key, bool shift, bool ctrl = false);

// The slot, 1 to 9, of a saveView or goToView action; 0 for any other.
int viewSlot(KeyAction action);
