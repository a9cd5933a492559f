#pragma once

// The level's drawn triangles as an exporter writes them: indexed, one
// primitive per material, each corner with the position, the normal the
// shaded look uses, the vertex colour and, when asked for, the texture
// coordinates. Needs no window and no OpenGL.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BSP.h"
#include "HiddenMaterials.h"
#include "MaterialColours.h"

// One exported vertex, in the level's own units and axes (z up). Laid out as
// the glTF buffer holds it, every field 4-byte aligned: 36 bytes, or the
// first 28 in an export without texture coordinates.
struct ExportVertex {
    std::array<float, 3> position;
    std::array<float, 3> normal;               // unit length
    std::array<std::uint8_t, 4> colour;        // red, green, blue, alpha
    // s, t as the level holds them: (0, 0) the image's top-left, as in glTF.
    std::array<float, 2> texture;
};
static_assert(sizeof(ExportVertex) == 36, "the glTF vertex stride");
constexpr std::size_t plainVertexBytes = 28;  // the stride without texture coordinates
static_assert(offsetof(ExportVertex, texture) == plainVertexBytes);

// The triangles of one material: a run of vertices and the indices of their
// corners, three to a triangle, counted from the run's first vertex.
struct ExportPrimitive {
    std::uint32_t texture = 0;
    // The material's name as valid UTF-8, or "texture-N" when the level has
    // no material N.
    std::string name;
    Qor::Rgb colour{};  // the shaded look's
    // The material's flags, when the level has material N.
    bool named = false;
    std::uint32_t surfaceFlags = 0;
    std::uint32_t contentFlags = 0;
    std::size_t firstVertex = 0;
    std::size_t vertexCount = 0;
    // The indices start at byte indexOffset of the geometry's indexData, 16
    // bits each when every one fits (65535 does not: glTF keeps that value
    // for restarting strips), else 32.
    std::size_t indexOffset = 0;
    std::size_t indexCount = 0;
    bool shortIndices = true;
    // The image the material shows, when the export has one for it: its
    // number in the export's images.
    std::optional<std::size_t> image;
    // The corners of the box round its positions.
    std::array<float, 3> low{};
    std::array<float, 3> high{};
};

struct ExportGeometry {
    // The vertices' records one after another, as the glTF buffer begins:
    // a glTF export takes these bytes over and appends its indices, within
    // room reserved for them, so that the largest part of the output is
    // neither copied nor held twice.
    std::vector<unsigned char> vertexData;
    // Each primitive's indices, little-endian, as the glTF buffer ends; each
    // primitive's start on a multiple of 4 bytes.
    std::vector<unsigned char> indexData;
    // In texture order, one for each texture with at least one triangle.
    std::vector<ExportPrimitive> primitives;
    // Each vertex's bytes: sizeof(ExportVertex), or plainVertexBytes without
    // texture coordinates.
    std::size_t vertexBytes = plainVertexBytes;

    bool textureCoordinates() const { return vertexBytes == sizeof(ExportVertex); }
    std::size_t vertexCount() const { return vertexData.size() / vertexBytes; }
    // Without texture coordinates, they are zeros.
    ExportVertex vertex(std::size_t number) const {
        ExportVertex vertex{};
        std::memcpy(&vertex, vertexData.data() + number * vertexBytes, vertexBytes);
        return vertex;
    }
    // The primitive's k-th index, counted from its first vertex.
    std::uint32_t index(const ExportPrimitive& primitive, std::size_t k) const {
        const std::size_t width = primitive.shortIndices ? 2 : 4;
        const unsigned char* at = indexData.data() + primitive.indexOffset + width * k;
        std::uint32_t value = 0;
        for (std::size_t byte = width; byte-- > 0;) value = value << 8 | at[byte];
        return value;
    }
};

// The triangles the filled pass draws, over every group, grouped by texture.
// A triangle with a corner that is not a finite number is left out: no
// exchange format may hold one, and none shows on screen. Corners share a
// vertex exactly where position, normal, colour (alpha included) and, with
// texture coordinates, those agree. A coordinate that is not a finite number
// is written as 0, as the textured look draws it.
ExportGeometry exportGeometry(const Qor::BSP& level, const Qor::HiddenMaterials& hidden = {},
                              bool textureCoordinates = false);

// The shaded colour as the linear factors that glTF and OBJ tools take, so
// that they show the bytes the viewer shows.
std::array<double, 3> linearColour(const Qor::Rgb& colour);
