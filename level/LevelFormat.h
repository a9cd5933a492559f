#pragma once

// The compiled level file (".d3dbsp"), described once for the reader, the
// writer and the info printer. Everything is little-endian; offsets are in
// bytes from the start of the file, the directory entry or the record.

#include <cstddef>
#include <cstdint>

namespace Qor::format {

// Header: the magic, then the version, then the lump directory.
constexpr char magic[4] = {'I', 'B', 'S', 'P'};
constexpr std::size_t magicOffset = 0;      // 4 characters
constexpr std::size_t versionOffset = 4;    // int32
constexpr std::size_t directoryOffset = 8;  // first directory entry (lump 0)
constexpr std::size_t headerSize = directoryOffset;

// The two versions the reader knows, and the most directory entries each has.
// The count of entries is not stored: the directory ends at this count, when
// fewer than one entry's bytes remain, or at an entry pointing outside the file.
constexpr std::uint32_t version4 = 4;
constexpr std::uint32_t version59 = 59;
constexpr std::uint32_t version4LumpCount = 39;
constexpr std::uint32_t version59LumpCount = 33;

// One directory entry; entry k describes lump k. Note the order: the length
// comes first in the file.
namespace entry {
constexpr std::size_t length = 0;  // uint32, bytes in the lump
constexpr std::size_t offset = 4;  // uint32, first byte of the lump from the start of the file
constexpr std::size_t size = 8;
static_assert(offset + 4 == size);
}  // namespace entry

// The lumps that version 4 decodes; every other lump is skipped.
constexpr std::uint32_t lumpMaterials = 0;
constexpr std::uint32_t lumpPlanes = 4;
constexpr std::uint32_t lumpTextureGroups = 7;
constexpr std::uint32_t lumpVertices = 8;
constexpr std::uint32_t lumpTriangles = 9;
constexpr std::uint32_t lumpEntities = 37;

// Every lump but the entities is an array of fixed-size records without a
// header or count; a shorter tail after the last whole record is ignored.

// Lump 0: a material. A texture group's `texture` is an index into this array.
namespace material {
constexpr std::size_t name = 0;           // 64 bytes of text, NUL-padded; a 64-byte name has no NUL
constexpr std::size_t nameSize = 64;
constexpr std::size_t surfaceFlags = 64;  // uint32
constexpr std::size_t contentFlags = 68;  // uint32
constexpr std::size_t size = 72;
static_assert(name + nameSize == surfaceFlags && surfaceFlags + 4 == contentFlags && contentFlags + 4 == size);
}  // namespace material

// Lump 4: a plane, the points p with (a, b, c) · p = d: a unit normal and
// its distance from the origin along it. Any bit pattern may stand here.
namespace plane {
constexpr std::size_t a = 0;   // float32, normal x
constexpr std::size_t b = 4;   // float32, normal y
constexpr std::size_t c = 8;   // float32, normal z
constexpr std::size_t d = 12;  // float32, distance
constexpr std::size_t size = 16;
static_assert(d + 4 == size);
}  // namespace plane

// Lump 7: a texture group, owning a run of vertices and a run of triangles.
namespace textureGroup {
constexpr std::size_t texture = 0;       // uint32, chooses the false colour
constexpr std::size_t firstVertex = 4;   // uint32, base of the triangles' corner numbers
constexpr std::size_t vertexCount = 8;   // uint16, stored but not used
constexpr std::size_t indexCount = 10;   // uint16, corner indices, three per triangle
constexpr std::size_t firstIndex = 12;   // uint32, first corner index, three per triangle
constexpr std::size_t size = 16;
static_assert(firstIndex + 4 == size);
}  // namespace textureGroup

// Lump 8: a vertex. The reader skips everything after the lightmap coordinates.
namespace vertex {
constexpr std::size_t x = 0;        // float32, position
constexpr std::size_t y = 4;        // float32
constexpr std::size_t z = 8;        // float32
constexpr std::size_t normal = 12;  // 3 × float32, x y z; any value, zeros where the compiler left none
constexpr std::size_t colour = 24;  // 3 × uint8, red green blue, the colour the compiler baked in
constexpr std::size_t alpha = 27;   // uint8, 0 transparent to 255 opaque
constexpr std::size_t texture = 28;   // 2 × float32, s then t
constexpr std::size_t lightmap = 36;  // 2 × float32, s then t; zeros from here to the end
constexpr std::size_t size = 68;
static_assert(z + 4 == normal && normal + 12 == colour && colour + 3 == alpha && alpha + 1 == texture &&
              texture + 8 == lightmap && lightmap + 8 <= size);
}  // namespace vertex

// Lump 9: a triangle, three corner numbers relative to its group's firstVertex.
namespace triangle {
constexpr std::size_t corners = 0;       // 3 × uint16
constexpr std::size_t cornerStride = 2;
constexpr std::size_t size = 6;
static_assert(corners + 3 * cornerStride == size);
}  // namespace triangle

// Lump 37: the entities, as text rather than records. Blocks
//   { "key" "value" ... }
// one per entity, separated by spaces, tabs, CR or LF. A quoted string holds
// any byte but '"' (no escapes: backslashes and braces are plain bytes). A NUL
// byte ends the text wherever it stands; real files end the lump with one.
namespace entities {
constexpr char open = '{';
constexpr char close = '}';
constexpr char quote = '"';
constexpr char end = '\0';
}  // namespace entities

// The record size of a lump that version 4 decodes as records, or 0 for any
// other lump (the entities' text included).
constexpr std::size_t recordSize(std::uint32_t lump) {
    switch (lump) {
    case lumpMaterials: return material::size;
    case lumpPlanes: return plane::size;
    case lumpTextureGroups: return textureGroup::size;
    case lumpVertices: return vertex::size;
    case lumpTriangles: return triangle::size;
    default: return 0;
    }
}

}  // namespace Qor::format
