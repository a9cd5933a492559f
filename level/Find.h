#pragma once

// What the find prompt's text matches in a level, and where a material is
// best looked at. Rules only: the input pass steps through the matches and
// places the camera, the drawing outlines what was found.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BSP.h"

namespace Qor {

struct FindMatch {
    enum class Kind { entity, material };
    Kind kind = Kind::entity;
    std::size_t index = 0;  // its position in the level's entities or materials
    std::string label;      // as the prompt shows it, in printable ASCII
};

// Whether part occurs in text, ASCII letters compared without case; an empty
// part occurs nowhere, so that an empty prompt finds nothing.
bool containsIgnoringCase(std::string_view text, std::string_view part);

// The entities with an origin (the ones a camera can go to) any of whose
// values contains the text, in entity order, then the materials whose name
// contains it, in material order.
std::vector<FindMatch> findMatches(const BSP& level, std::string_view text);

// Whether a material's triangles are drawn, by its number; no filter draws
// them all.
using MaterialFilter = std::function<bool(std::uint32_t material)>;

struct FoundTriangle {
    std::size_t triangle = 0;         // its position in the level's triangles
    std::array<double, 3> centre{};   // the mean of its corners
    std::array<double, 3> normal{};   // unit, the way its corners' normals face on the whole
};

// The drawn triangle of the material whose centre lies nearest `from`:
// drawn groups only, corners inside the level and finite. None when the
// material draws nothing.
std::optional<FoundTriangle> nearestTriangleOf(const BSP& level, std::uint32_t material,
                                               const std::array<double, 3>& from,
                                               const MaterialFilter& drawn = nullptr);

}  // namespace Qor
