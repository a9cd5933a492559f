#pragma once

// Which materials are left out of the picture, pointing, framing and the
// export. A material is known by its texture number, the number a texture
// group names it by, so a group whose texture has no material in the level
// is hidden and isolated by that number like any other.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Qor {

class BSP;

// Whether name matches pattern, letters compared without regard to case:
// '*' stands for any run of characters, '?' for any one; nothing else is
// special.
bool globMatches(std::string_view pattern, std::string_view name);

struct HiddenMaterials {
    // Sorted, each once: the materials hidden, or while isolating the only
    // ones shown.
    std::vector<std::uint32_t> textures;
    bool isolate = false;

    // True when nothing at all is left out: the drawing's usual path.
    bool showsAll() const { return !isolate && textures.empty(); }
    bool hides(std::uint32_t texture) const;

    void hide(std::uint32_t texture);
    // Only this material is shown.
    void isolateOnly(std::uint32_t texture);
    void showAll();
};

// Hides every material of the level whose name matches the pattern; how many
// matched.
std::size_t hideMatching(HiddenMaterials& hidden, const BSP& level, std::string_view pattern);

struct HiddenCount {
    std::size_t materials = 0;  // of the level's materials and the texture numbers its groups use
    std::size_t triangles = 0;  // drawn by the groups hidden, were they shown
};

HiddenCount countHidden(const HiddenMaterials& hidden, const BSP& level);

}  // namespace Qor
