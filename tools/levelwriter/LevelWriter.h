#pragma once

// Writes level files: the generator's scenes, and the tests' fixtures, corrupt
// ones included. It follows the layout the reader decodes and nothing else.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Elements.h"

namespace Qor {

using Bytes = std::vector<std::uint8_t>;

void appendU8(Bytes& out, std::uint8_t value);
void appendU16(Bytes& out, std::uint16_t value);
void appendU32(Bytes& out, std::uint32_t value);
void appendF32(Bytes& out, float value);

// Records in the file's layout. Fields the reader skips are written as zero.
// Values wider than the file's fields (a group's counts, a corner) keep their
// low 16 bits.
Bytes encodePlanes(const std::vector<Plane>& planes);
Bytes encodeTextureGroups(const std::vector<TextureGroup>& groups);
Bytes encodeVertices(const std::vector<Vertex>& vertices);
Bytes encodeTriangles(const std::vector<Triangle>& triangles);
// Names longer than the record's 64 bytes are cut.
Bytes encodeMaterials(const std::vector<Material>& materials);
// One block per entity, one pair per line, and a NUL at the end as real
// files have; nothing at all for no entities. Keys and values are written as
// they are, so one holding '"' gives text the reader refuses.
Bytes encodeEntities(const std::vector<Entity>& entities);

// A level file under construction: a header, a directory of entryCount
// entries and the lumps' bytes laid out after the directory in lump order.
// Lumps without bytes get an empty entry. Tests reach into `entries` after
// layOut() to craft directories that point wherever they like.
struct LevelWriter {
    std::uint32_t version = 4;
    std::uint32_t entryCount = 39;
    std::map<std::uint32_t, Bytes> lumpBytes;

    struct Entry {
        std::uint32_t length;
        std::uint32_t offset;
    };

    // The directory as bytes() would write it.
    std::vector<Entry> layOut() const;
    Bytes bytes() const;
    Bytes bytes(const std::vector<Entry>& entries) const;
};

// What a version-4 level holds: the four geometry sequences, the materials
// and the entities.
struct LevelContents {
    std::vector<Plane> planes;
    std::vector<TextureGroup> textureGroups;
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
    // Initialised here so that contents listing only the geometry need not
    // name these (no missing-initializer warning).
    std::vector<Material> materials{};
    std::vector<Entity> entities{};
};

// Empty sequences give empty lumps, so a level without materials or entities
// has the bytes it had before the writer knew them.
LevelWriter writerFor(const LevelContents& contents);

// Writes the bytes to path, replacing the file; false when it cannot.
bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace Qor
