#pragma once

// What the export tests hold an export against: the corners the filled pass
// draws, and the small builders of their levels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "GeometryWalk.h"
#include "MaterialColours.h"
#include "Normals.h"

namespace exporttest {

inline Qor::Vertex vertex(float x, float y, float z, Qor::Direction normal = {}, Qor::Rgb colour = {255, 255, 255},
                   std::uint8_t alpha = 255) {
    return Qor::Vertex{x, y, z, alpha, normal, colour};
}

inline Qor::TextureGroup group(std::uint32_t texture, std::size_t firstVertex, std::size_t firstIndex, std::size_t indexCount) {
    return Qor::TextureGroup{texture, static_cast<std::uint32_t>(firstVertex), 0, static_cast<std::uint32_t>(firstIndex),
                             static_cast<std::uint32_t>(indexCount)};
}

inline std::array<float, 3> position(const Qor::Vertex& v) { return {v.x, v.y, v.z}; }

// A corner as the shaded look draws it: position, normal, and colour with alpha.
using Corner = std::tuple<std::array<float, 3>, Qor::Direction, std::array<std::uint8_t, 4>>;
// Each texture drawn, in texture order, with its corners three to a triangle.
using Corners = std::vector<std::pair<std::uint32_t, std::vector<Corner>>>;

// The corners the filled pass draws.
inline Corners drawnCorners(const Qor::BSP& level) {
    std::map<std::uint32_t, std::vector<Corner>> byTexture;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const auto normals = Qor::cornerNormals(a, b, c);
            std::size_t k = 0;
            for (const Qor::Vertex* v : {&a, &b, &c})
                byTexture[group.texture].emplace_back(position(*v), normals[k++],
                                                      std::array<std::uint8_t, 4>{v->colour[0], v->colour[1], v->colour[2], v->alpha});
        });
    });
    return {byTexture.begin(), byTexture.end()};
}

}  // namespace exporttest
