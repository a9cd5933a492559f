#pragma once

#include <ostream>

#include "BSP.h"

// What the viewer's entry still asks under this name.
inline bool levelLoaded(const Qor::BSP& level) { return level.loaded(); }

// The summary printed by --info: header, counts, bounds, then the directory.
// The level must have loaded.
void printLevelInfo(const Qor::BSP& level, std::ostream& out);

// The same and more as one JSON object on one line: the materials, entities,
// spawn points and the load's messages too. A level that failed to load gives
// what it holds, its size and version null.
void printLevelJson(const Qor::BSP& level, std::ostream& out);
