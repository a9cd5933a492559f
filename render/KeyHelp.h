#pragma once

#include <vector>

struct PanelState;

// One line of the key help: the keys as the user reads them, what they do,
// and for a key that switches something, its current state. The panel's keys
// page and README's key table both list these rows, in this order, so a new
// binding is described by adding its row here.
struct KeyHelp {
    const char* keys;
    const char* action;
    const char* (*state)(const PanelState&);  // null for keys that switch nothing
};

extern const std::vector<KeyHelp> keyHelp;

// The names the help gives the render modes 0, 1 and 2.
const char* renderModeName(unsigned mode);
