#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Elements.h"

namespace testsupport {

// An entity of this class at this origin, then any more pairs.
inline Qor::Entity entity(const std::string& classname, const std::string& origin,
                          std::vector<std::pair<std::string, std::string>> more = {}) {
    Qor::Entity e{{{"classname", classname}, {"origin", origin}}};
    e.pairs.insert(e.pairs.end(), more.begin(), more.end());
    return e;
}

}  // namespace testsupport
