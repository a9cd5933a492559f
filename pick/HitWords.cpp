#include <string>
#include <utility>
#include <vector>

#include "BSP.h"
#include "Pointing.h"
#include "TextFormat.h"

// The words that describe a hit, for --pick and for page 3.

namespace {

// The name of the material of a surface's group, or "" when the group has
// none.
std::string materialName(const Qor::BSP& level, const Hit& hit) {
    if (hit.kind != Hit::Kind::surface || hit.group >= level.textureGroups.size()) return {};
    const std::uint32_t texture = level.textureGroups[hit.group].texture;
    return texture < level.materials.size() ? Qor::printableText(level.materials[texture].name) : std::string();
}

// The classname of an entity, or "".
std::string classname(const Qor::BSP& level, const Hit& hit) {
    if (hit.kind != Hit::Kind::entity || hit.entity >= level.entities.size()) return {};
    const std::string* name = level.entities[hit.entity].value("classname");
    return name != nullptr ? Qor::printableText(*name) : std::string();
}

}  // namespace

std::vector<std::pair<std::string, std::string>> hitParts(const Qor::BSP& level, const Hit& hit) {
    switch (hit.kind) {
    case Hit::Kind::surface:
        return {{"group", std::to_string(hit.group)},
                {"triangle", std::to_string(hit.triangle)},
                {"material", "'" + materialName(level, hit) + "'"}};
    case Hit::Kind::entity: return {{"entity", std::to_string(hit.entity + 1) + " '" + classname(level, hit) + "'"}};
    case Hit::Kind::nothing: break;
    }
    return {};
}

std::string pickLine(int x, int y, const Hit& hit, const Qor::BSP& level) {
    std::string line = "pick: " + std::to_string(x) + ' ' + std::to_string(y);
    if (hit.kind == Hit::Kind::nothing) return line + " nothing";
    for (const auto& [label, value] : hitParts(level, hit)) line += ' ' + label + ' ' + value;
    return line + " at " + Qor::fixedDecimals(hit.point[0], 2) + ' ' + Qor::fixedDecimals(hit.point[1], 2) + ' ' +
           Qor::fixedDecimals(hit.point[2], 2) + " distance " + Qor::fixedDecimals(hit.distance, 2);
}
