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
    {"Shift (held)", "four times the speed and the held steps", nullptr},
    {"mouse", "turn, look up or down while mouse look is on", nullptr},
    {"mouse button, wheel", "mouse look on or off", [](const PanelState& s) { return onOff(s.mouseLook); }},
    {"b", "render mode: opaque, blend, additive", [](const PanelState& s) { return renderModeName(s.renderMode); }},
    {"t", "filled triangles on or off", [](const PanelState& s) { return onOff(s.showFilled); }},
    {"l", "triangle outlines on or off", [](const PanelState& s) { return onOff(s.showWireframe); }},
    {"v", "corner points on or off", [](const PanelState& s) { return onOff(s.showCornerPoints); }},
    {"p", "plane points: every plane, selected one, off",
     [](const PanelState& s) { return s.showPlanePoints ? "every plane" : s.singlePlane ? "selected one" : "off"; }},
    {"Up, Down", "next, previous plane while one is shown", nullptr},
    {"g", "selected texture group only, or all", [](const PanelState& s) { return onOff(s.singleGroup); }},
    {"Right, Left", "next, previous texture group while one is shown", nullptr},
    {"Page Up, Page Down (held)", "near and far clip distances up, down", nullptr},
    {"], [ (held)", "point size up, down", nullptr},
    {"', ; (held)", "line width up, down", nullptr},
    {"., , (held)", "fill alpha up, down", nullptr},
    {"r", "reset the view; the camera stays where it is", nullptr},
    {"i, F1, F2", "panel: level, keys, view; the same key hides it", nullptr},
    {"Escape, closing the window", "quit", nullptr},
};
