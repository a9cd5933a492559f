#include "KeyHelp.h"

#include "PanelText.h"

namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }

}  // namespace

const char* renderModeName(unsigned mode) {
    switch (mode) {
    case 1: return "blend";
    case 2: return "additive";
    default: return "opaque";
    }
}

// Kept short: the keys page is drawn over the view every frame it shows, and
// what it covers is what it costs. README's notes under the table say more.
const std::vector<KeyHelp> keyHelp = {
    {"w, s", "fly forward, back", nullptr},
    {"d, a", "fly right, left", nullptr},
    {"e, q", "fly up, down", nullptr},
    {"Shift (held)", "4 x speed and steps", nullptr},
    {"mouse", "look around", nullptr},
    {"click, wheel", "mouse look", [](const PanelState& s) { return onOff(s.mouseLook); }},
    {"b", "render mode", [](const PanelState& s) { return renderModeName(s.renderMode); }},
    {"c", "look", [](const PanelState& s) { return lookName(s.look); }},
    {"t", "filled triangles", [](const PanelState& s) { return onOff(s.showFilled); }},
    {"l", "outlines", [](const PanelState& s) { return onOff(s.showWireframe); }},
    {"v", "corner points", [](const PanelState& s) { return onOff(s.showCornerPoints); }},
    {"p", "plane points",
     [](const PanelState& s) { return s.showPlanePoints ? "all" : s.singlePlane ? "selected" : "off"; }},
    {"Up, Down", "next, previous plane", nullptr},
    {"g", "one texture group", [](const PanelState& s) { return onOff(s.singleGroup); }},
    {"Right, Left", "next, previous group", nullptr},
    {"Page Up, Down", "clip distances (held)", nullptr},
    {"], [", "point size (held)", nullptr},
    {"', ;", "line width (held)", nullptr},
    {"., ,", "fill alpha (held)", nullptr},
    {"r", "reset the view", nullptr},
    {"Home", "fit the level in view", nullptr},
    {"Tab, Shift+Tab", "next, previous spawn", nullptr},
    {"n", "entity markers", [](const PanelState& s) { return onOff(s.showMarkers); }},
    {"j, k", "next, previous entity", nullptr},
    {"o", "print the camera", nullptr},
    {"=, - (keypad)", "fly speed x 2, / 2", nullptr},
    {"Print Screen", "save a screenshot", nullptr},
    {"F5", "read the level again", nullptr},
    {"i, F1, F2, F3", "panel pages", nullptr},
    {"Escape", "quit", nullptr},
};
