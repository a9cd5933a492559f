#include "HiddenMaterials.h"

#include <algorithm>
#include <set>

#include "BSP.h"
#include "GeometryWalk.h"

namespace Qor {

namespace {

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

// Greedy matching with one point to go back to: the last '*' seen takes one
// more character each time what follows it fails, so the time stays
// proportional to the lengths multiplied, never exponential.
bool globMatches(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool HiddenMaterials::hides(std::uint32_t texture) const {
    if (showsAll()) return false;
    return std::binary_search(textures.begin(), textures.end(), texture) != isolate;
}

void HiddenMaterials::hide(std::uint32_t texture) {
    const auto at = std::lower_bound(textures.begin(), textures.end(), texture);
    const bool listed = at != textures.end() && *at == texture;
    // While isolating, the list is what is shown: hiding takes a material off it.
    if (isolate && listed)
        textures.erase(at);
    else if (!isolate && !listed)
        textures.insert(at, texture);
}

void HiddenMaterials::isolateOnly(std::uint32_t texture) {
    textures.assign(1, texture);
    isolate = true;
}

void HiddenMaterials::showAll() {
    textures.clear();
    isolate = false;
}

std::size_t hideMatching(HiddenMaterials& hidden, const BSP& level, std::string_view pattern) {
    std::size_t matched = 0;
    for (std::size_t k = 0; k < level.materials.size(); ++k) {
        if (!globMatches(pattern, level.materials[k].name)) continue;
        hidden.hide(static_cast<std::uint32_t>(k));
        ++matched;
    }
    return matched;
}

HiddenCount countHidden(const HiddenMaterials& hidden, const BSP& level) {
    HiddenCount count;
    if (hidden.showsAll()) return count;
    std::set<std::uint32_t> beyond;  // texture numbers past the materials, each once
    for (const TextureGroup& group : level.textureGroups)
        if (group.texture >= level.materials.size()) beyond.insert(group.texture);
    for (std::size_t k = 0; k < level.materials.size(); ++k)
        if (hidden.hides(static_cast<std::uint32_t>(k))) ++count.materials;
    for (const std::uint32_t texture : beyond)
        if (hidden.hides(texture)) ++count.materials;
    forEachDrawnGroup(level, false, 0, [&](const TextureGroup& group) {
        if (!hidden.hides(group.texture)) return;
        // Page 1 asks every frame: the corners are counted, never decoded.
        forEachTrianglePosition(level, group, [&](std::size_t, const std::array<std::uint32_t, 3>&) { ++count.triangles; });
    });
    return count;
}

}  // namespace Qor
