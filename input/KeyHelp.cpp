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

const std::vector<KeyHelp> keyHelp = {
    {"w, s", "fly forward, back", nullptr},
    {"d, a", "fly right, left", nullptr},
    {"e, q", "fly up, down", nullptr},
    {"Shift (held)", "four times the speed and steps", nullptr},
    {"mouse", "turn and look while mouse look is on", nullptr},
    {"click, wheel", "mouse look on or off", [](const PanelState& s) { return onOff(s.mouseLook); }},
    {"b", "render mode: opaque, blend, additive", [](const PanelState& s) { return renderModeName(s.renderMode); }},
    {"t", "filled triangles on or off", [](const PanelState& s) { return onOff(s.showFilled); }},
    {"l", "outlines on or off", [](const PanelState& s) { return onOff(s.showWireframe); }},
    {"v", "corner points on or off", [](const PanelState& s) { return onOff(s.showCornerPoints); }},
    {"p", "plane points: all, selected, off",
     [](const PanelState& s) { return s.showPlanePoints ? "all" : s.singlePlane ? "selected" : "off"; }},
    {"Up, Down", "next, previous plane while one is shown", nullptr},
    {"g", "one texture group only, or all", [](const PanelState& s) { return onOff(s.singleGroup); }},
    {"Right, Left", "next, previous group while one is shown", nullptr},
    {"Page Up, Page Down", "clip distances up, down (held)", nullptr},
    {"], [", "point size up, down (held)", nullptr},
    {"', ;", "line width up, down (held)", nullptr},
    {"., ,", "fill alpha up, down (held)", nullptr},
    {"r", "reset the view, not the camera", nullptr},
    {"Home", "camera where the whole level is in view", nullptr},
    {"Tab, Shift+Tab", "next, previous spawn point", nullptr},
    {"=, - (keypad +, -)", "fly speed doubled, halved", nullptr},
    {"Print Screen", "save the window as a PNG", nullptr},
    {"F5", "read the level file again", nullptr},
    {"i, F1, F2", "panel pages; the same key hides", nullptr},
    {"Escape", "quit (so does closing the window)", nullptr},
};
