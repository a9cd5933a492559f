#pragma once

#include <ostream>

namespace Qor {
class BSP;
}

// Whether the level's load went through: a failed load leaves no file bytes.
bool levelLoaded(const Qor::BSP& level);

// The summary printed by --info: header, counts, bounds, then the directory.
void printLevelInfo(const Qor::BSP& level, std::ostream& out);
