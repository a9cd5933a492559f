#include "KeyHelp.h"

#include "PanelText.h"

namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }

using A = KeyAction;

bool modifierMatches(ShiftState wanted, bool down) {
    return wanted == ShiftState::any || (wanted == ShiftState::down) == down;
}

// 1 to 9 go to a saved view, with Ctrl they save it.
std::vector<KeyBinding> viewBindings() {
    std::vector<KeyBinding> bindings;
    for (int slot = 0; slot < 9; ++slot) {
        const auto key = static_cast<SDLKey>(SDLK_1 + slot);
        bindings.push_back({key, static_cast<A>(static_cast<int>(A::goToView1) + slot), ShiftState::any, ShiftState::up});
        bindings.push_back({key, static_cast<A>(static_cast<int>(A::saveView1) + slot), ShiftState::any, ShiftState::down});
    }
    return bindings;
}

}  // namespace

// Kept short: the keys page is drawn over the view every frame it shows, and
// what it covers is what it costs. README's notes under the table say more.
const std::vector<KeyHelp> keyHelp = {
    {"w s, d a, e q", "fly fore/aft, right/left, up/down", nullptr,
     {{SDLK_w, A::flyForward}, {SDLK_s, A::flyBack}, {SDLK_d, A::flyRight}, {SDLK_a, A::flyLeft},
      {SDLK_e, A::flyUp}, {SDLK_q, A::flyDown}}},
    {"Shift (held)", "4 x speed and steps", nullptr, {}},
    {"mouse", "look around", nullptr, {}},
    {"click, wheel", "mouse look", [](const PanelState& s) { return onOff(s.view.mouseLook); }, {}},
    {"b", "render mode", [](const PanelState& s) { return renderModeName(s.view.renderMode); },
     {{SDLK_b, A::renderMode}}},
    {"c", "look", [](const PanelState& s) { return lookName(s.view.look); }, {{SDLK_c, A::look}}},
    {"f", "one-sided drawing", [](const PanelState& s) { return onOff(s.view.cull); }, {{SDLK_f, A::cull}}},
    {"t", "filled triangles", [](const PanelState& s) { return onOff(s.view.showFilled); }, {{SDLK_t, A::filled}}},
    {"l", "outlines", [](const PanelState& s) { return onOff(s.view.showWireframe); }, {{SDLK_l, A::outlines}}},
    {"v", "corner points", [](const PanelState& s) { return onOff(s.view.showCornerPoints); },
     {{SDLK_v, A::corners}}},
    {"p", "plane points",
     [](const PanelState& s) { return s.view.showPlanePoints ? "all" : s.view.singlePlane ? "selected" : "off"; },
     {{SDLK_p, A::planePoints}}},
    {"Up, Down", "next, previous plane", nullptr, {{SDLK_UP, A::nextPlane}, {SDLK_DOWN, A::previousPlane}}},
    {"g", "one texture group", [](const PanelState& s) { return onOff(s.view.singleGroup); },
     {{SDLK_g, A::oneGroup}}},
    {"Right, Left", "next, previous group", nullptr,
     {{SDLK_RIGHT, A::nextGroup}, {SDLK_LEFT, A::previousGroup}}},
    {"Page Up, Down", "clip distances (held)", nullptr,
     {{SDLK_PAGEUP, A::clipFarther}, {SDLK_PAGEDOWN, A::clipNearer}}},
    {"] [, ' ;", "point size, line width (held)", nullptr,
     {{SDLK_RIGHTBRACKET, A::pointBigger}, {SDLK_LEFTBRACKET, A::pointSmaller}, {SDLK_QUOTE, A::lineWider},
      {SDLK_SEMICOLON, A::lineThinner}}},
    {"., ,", "fill alpha (held)", nullptr, {{SDLK_PERIOD, A::moreAlpha}, {SDLK_COMMA, A::lessAlpha}}},
    {"r", "reset the view", nullptr, {{SDLK_r, A::reset}}},
    {"Home", "fit the level in view", nullptr, {{SDLK_HOME, A::fit}}},
    {"Tab, Shift+Tab", "next, previous spawn", nullptr,
     {{SDLK_TAB, A::nextSpawn, ShiftState::up}, {SDLK_TAB, A::previousSpawn, ShiftState::down}}},
    {"n", "entity markers", [](const PanelState& s) { return onOff(s.view.showMarkers); }, {{SDLK_n, A::markers}}},
    {"j, k", "next, previous entity", nullptr, {{SDLK_j, A::nextEntity}, {SDLK_k, A::previousEntity}}},
    {"o", "print the camera", nullptr, {{SDLK_o, A::printCamera}}},
    {"=, - (keypad)", "fly speed x 2, / 2", nullptr,
     {{SDLK_EQUALS, A::faster}, {SDLK_KP_PLUS, A::faster}, {SDLK_MINUS, A::slower}, {SDLK_KP_MINUS, A::slower}}},
    {"Print Screen", "save a screenshot", nullptr, {{SDLK_PRINT, A::screenshot}}},
    {"F5", "read the level again", nullptr, {{SDLK_F5, A::reload}}},
    {"/", "find (Enter: next)", nullptr, {{SDLK_SLASH, A::find}}},
    {"1-9, Ctrl+1-9", "go to, save view N", nullptr, viewBindings()},
    {"i, F1, F2, F3", "panel pages", nullptr,
     {{SDLK_i, A::levelPage}, {SDLK_F1, A::keysPage}, {SDLK_F2, A::viewPage}, {SDLK_F3, A::entityPage}}},
    {"Escape", "quit", nullptr, {{SDLK_ESCAPE, A::quit}}},
};

const KeyAction* boundAction(SDLKey key, bool shift, bool ctrl) {
    for (const KeyHelp& help : keyHelp)
        for (const KeyBinding& binding : help.bindings)
            if (binding.key == key && modifierMatches(binding.shift, shift) && modifierMatches(binding.ctrl, ctrl))
                return &binding.action;
    return nullptr;
}

int viewSlot(KeyAction action) {
    const int value = static_cast<int>(action);
    if (action >= A::saveView1 && action <= A::saveView9) return value - static_cast<int>(A::saveView1) + 1;
    if (action >= A::goToView1 && action <= A::goToView9) return value - static_cast<int>(A::goToView1) + 1;
    return 0;
}
