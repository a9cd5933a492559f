#pragma once

// Converts a version-46 level (see FormatV46.h) into a version-4 level file:
// shaders become materials, surfaces become texture groups, draw vertices and
// indexes become vertices and triangles; planes and entities are carried over.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "LevelWriter.h"

namespace v46 {

// What a conversion wrote, in records of the version-4 lumps.
struct Counts {
    std::size_t materials = 0;
    std::size_t planes = 0;
    std::size_t textureGroups = 0;
    std::size_t vertices = 0;
    std::size_t triangles = 0;
    std::size_t entityBytes = 0;  // the entities' text, copied unchanged
};

struct Conversion {
    // The "ERROR: ..." line, without its line end, when the input cannot be
    // converted at all; empty otherwise.
    std::string error;
    Qor::Bytes level;
    Counts counts;
    std::size_t surfaces = 0;           // surfaces in the input
    std::size_t convertedSurfaces = 0;  // of them, those written as one group or more
    std::size_t splitSurfaces = 0;      // of those, the ones that needed more than one group
    // Surfaces left out, by reason.
    std::map<std::string, std::size_t> leftOut;
};

// Version-4 texture groups store their counts in 16 bits and their corners
// relative to firstVertex in 16 bits, so no group holds more than this many
// vertices or corner indices; larger surfaces are split.
constexpr std::size_t groupLimit = 65535;

// Reads only inside [data, data + size), whatever the input says.
Conversion convert(const std::uint8_t* data, std::size_t size);

// Reasons for leaving a surface out, as Conversion::leftOut names them.
namespace reason {
constexpr const char* flare = "flare";
constexpr const char* unknownType = "unknown surface type";
constexpr const char* shader = "shader outside the shader lump";
constexpr const char* vertices = "vertices outside the vertex lump";
constexpr const char* indexes = "indexes outside the index lump";
constexpr const char* corners = "corners outside the surface's vertices";
constexpr const char* partialTriangle = "index count not a multiple of three";
constexpr const char* patchGrid = "patch grid not within its vertices";
constexpr const char* empty = "no triangles";
}  // namespace reason

}  // namespace v46
