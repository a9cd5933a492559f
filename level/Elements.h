#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Qor {

// One lump directory entry as held in memory (the file stores the length first).
struct Index {
    std::uint32_t offset;
    std::uint32_t length;

    Index(std::uint32_t offset_, std::uint32_t length_) : offset(offset_), length(length_) {}
};

// The points p with (a, b, c) · p = d. Files store a unit normal, but the
// values are taken as they come, NaNs and infinities included.
struct Plane {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;
};

// Owns the triangles firstIndex / 3 … (firstIndex + indexCount) / 3 - 1; both
// counts are in corner indices. Nothing guarantees that they are multiples of
// three or that they stay inside the level's sequences.
struct TextureGroup {
    std::uint32_t texture = 0;
    std::uint32_t firstVertex = 0;
    std::uint32_t vertexCount = 0;
    std::uint32_t firstIndex = 0;
    std::uint32_t indexCount = 0;
};

// The normal is whatever the file holds: a unit vector, zeros, or anything
// else; see Normals.h for the one the viewer uses.
struct Vertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    std::uint8_t alpha = 255;
    std::array<float, 3> normal{};
    std::array<std::uint8_t, 3> colour{255, 255, 255};  // red, green, blue
    std::array<float, 2> texture{};   // s, t: (0, 0) the image's top-left, 1 a whole image
    std::array<float, 2> lightmap{};  // s, t
};

// Corner numbers are relative to the owning group's firstVertex.
struct Triangle {
    std::array<std::uint32_t, 3> corners{};
};

// The name's bytes as the file holds them, up to the first NUL: they need
// not be printable or valid UTF-8.
struct Material {
    std::string name;
    std::uint32_t surfaceFlags = 0;
    std::uint32_t contentFlags = 0;
};

// Key/value pairs in file order; a key may repeat and nothing is required.
struct Entity {
    std::vector<std::pair<std::string, std::string>> pairs;

    // The first value given for key, or nullptr when the entity has none.
    const std::string* value(std::string_view key) const {
        for (const auto& pair : pairs)
            if (pair.first == key) return &pair.second;
        return nullptr;
    }
};

}  // namespace Qor
