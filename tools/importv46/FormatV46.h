#pragma once

// The version-46 level file (magic "IBSP", version 46), as far as the importer
// reads it. Everything is little-endian; offsets are in bytes from the start
// of the file, the directory entry or the record. Counts and indices are
// stored as int32; the importer treats a negative one as out of range.

#include <cstddef>
#include <cstdint>

namespace v46 {

// Header: the magic, the version, then a directory of exactly lumpCount entries.
constexpr char magic[4] = {'I', 'B', 'S', 'P'};
constexpr std::size_t magicOffset = 0;      // 4 characters
constexpr std::size_t versionOffset = 4;    // int32
constexpr std::size_t directoryOffset = 8;  // entry of lump 0
constexpr std::uint32_t version = 46;
constexpr std::uint32_t lumpCount = 17;

// One directory entry. Unlike version 4, the offset comes first.
namespace entry {
constexpr std::size_t offset = 0;  // int32, first byte of the lump from the start of the file
constexpr std::size_t length = 4;  // int32, bytes in the lump
constexpr std::size_t size = 8;
static_assert(length + 4 == size);
}  // namespace entry

constexpr std::size_t headerSize = directoryOffset + lumpCount * entry::size;
static_assert(headerSize == 144);

// The lumps the importer reads; the others (tree, brushes, models, fogs,
// lightmaps, light grid, visibility) have no counterpart in version 4.
constexpr std::uint32_t lumpEntities = 0;
constexpr std::uint32_t lumpShaders = 1;
constexpr std::uint32_t lumpPlanes = 2;
constexpr std::uint32_t lumpVertices = 10;
constexpr std::uint32_t lumpIndexes = 11;
constexpr std::uint32_t lumpSurfaces = 13;

// Lump 0: the entities as text, the same syntax as version 4's lump 37.

// Lump 1: a shader, which a surface names by its position in this array.
namespace shader {
constexpr std::size_t name = 0;           // 64 bytes of text, NUL-padded
constexpr std::size_t nameSize = 64;
constexpr std::size_t surfaceFlags = 64;  // int32
constexpr std::size_t contentFlags = 68;  // int32
constexpr std::size_t size = 72;
static_assert(name + nameSize == surfaceFlags && contentFlags + 4 == size);
}  // namespace shader

// Lump 2: a plane, unit normal and distance.
namespace plane {
constexpr std::size_t normal = 0;     // 3 × float32
constexpr std::size_t distance = 12;  // float32
constexpr std::size_t size = 16;
static_assert(normal + 12 == distance && distance + 4 == size);
}  // namespace plane

// Lump 10: a draw vertex.
namespace vertex {
constexpr std::size_t position = 0;   // 3 × float32
constexpr std::size_t texture = 12;   // 2 × float32, s then t
constexpr std::size_t lightmap = 20;  // 2 × float32, s then t
constexpr std::size_t normal = 28;    // 3 × float32
constexpr std::size_t colour = 40;    // 4 × uint8, red green blue alpha
constexpr std::size_t size = 44;
static_assert(position + 12 == texture && texture + 8 == lightmap && lightmap + 8 == normal &&
              normal + 12 == colour && colour + 4 == size);
}  // namespace vertex

// Lump 11: a draw index, a corner relative to its surface's firstVertex.
namespace index {
constexpr std::size_t value = 0;  // int32
constexpr std::size_t size = 4;
}  // namespace index

// Lump 13: a surface: a run of vertices and, for planar surfaces, meshes and
// triangle soups, a run of indexes three to a triangle. A patch has no
// indexes: its vertices are a patchWidth × patchHeight grid of control
// points, row after row.
namespace surface {
constexpr std::size_t shader = 0;          // int32, into lump 1
constexpr std::size_t fog = 4;             // int32, not read
constexpr std::size_t type = 8;            // int32, one of the types below
constexpr std::size_t firstVertex = 12;    // int32, into lump 10
constexpr std::size_t vertexCount = 16;    // int32
constexpr std::size_t firstIndex = 20;     // int32, into lump 11
constexpr std::size_t indexCount = 24;     // int32
constexpr std::size_t lightmapFields = 28; // 17 × 4 bytes of lightmap placement, not read
constexpr std::size_t patchWidth = 96;     // int32, control points per row
constexpr std::size_t patchHeight = 100;   // int32, rows
constexpr std::size_t size = 104;
static_assert(lightmapFields + 17 * 4 == patchWidth && patchHeight + 4 == size);

constexpr std::int32_t typePlanar = 1;
constexpr std::int32_t typePatch = 2;
constexpr std::int32_t typeTriangleSoup = 3;  // a mesh: a model or foliage baked into the level
constexpr std::int32_t typeFlare = 4;  // a point for a glow, no geometry
}  // namespace surface

}  // namespace v46
