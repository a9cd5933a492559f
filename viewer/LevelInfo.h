#pragma once

#include <ostream>

namespace Qor {
class BSP;
}

// Whether the level's load went through: a failed load leaves no file bytes.
bool levelLoaded(const Qor::BSP& level);

// The summary printed by --info: header, counts, bounds, then the directory.
// The level must have loaded.
void printLevelInfo(const Qor::BSP& level, std::ostream& out);

// The same and more as one JSON object on one line: the materials, entities,
// spawn points and the load's messages too. A level that failed to load gives
// what it holds, its size and version null.
void printLevelJson(const Qor::BSP& level, std::ostream& out);
