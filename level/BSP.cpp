#include "BSP.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <optional>
#include <utility>

#include "ByteReader.h"
#include "HugePages.h"
#include "LevelFormat.h"
#include "PathParts.h"

namespace Qor {

namespace {

Plane decodePlane(const std::uint8_t* record) {
    namespace f = format::plane;
    Plane plane;
    plane.a = readF32(record + f::a);
    plane.b = readF32(record + f::b);
    plane.c = readF32(record + f::c);
    plane.d = readF32(record + f::d);
    return plane;
}

TextureGroup decodeTextureGroup(const std::uint8_t* record) {
    namespace f = format::textureGroup;
    TextureGroup group;
    group.texture = readU32(record + f::texture);
    group.firstVertex = readU32(record + f::firstVertex);
    group.vertexCount = readU16(record + f::vertexCount);
    group.indexCount = readU16(record + f::indexCount);
    group.firstIndex = readU32(record + f::firstIndex);
    return group;
}

// The whole records from the cursor up to end, left where they lie; the
// cursor passes them, as it passes the records that are decoded.
template <typename Sequence>
Sequence recordsInPlace(const std::uint8_t*& cursor, const std::uint8_t* end) {
    const std::size_t count = static_cast<std::size_t>(end - cursor) / Sequence::bytesPerRecord;
    const Sequence records(cursor, count);
    cursor += count * Sequence::bytesPerRecord;
    return records;
}

Material decodeMaterial(const std::uint8_t* record) {
    namespace f = format::material;
    const auto* name = reinterpret_cast<const char*>(record + f::name);
    Material material;
    material.name.assign(name, std::find(name, name + f::nameSize, '\0'));
    material.surfaceFlags = readU32(record + f::surfaceFlags);
    material.contentFlags = readU32(record + f::contentFlags);
    return material;
}

// Appends each whole block of entity text from begin up to end (or the first
// NUL). Returns the offset from begin of the byte where the text stopped
// making sense, or nothing when it ended well; the entities before the fault
// are kept either way.
std::optional<std::size_t> readEntityText(const std::uint8_t* begin, const std::uint8_t* end,
                                          std::vector<Entity>& into) {
    namespace f = format::entities;
    const std::uint8_t* at = begin;
    const auto atEnd = [&] { return at == end || *at == f::end; };
    const auto skipSpace = [&] {
        while (!atEnd() && (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n')) ++at;
    };
    const auto fault = [&] { return std::optional<std::size_t>(static_cast<std::size_t>(at - begin)); };
    // Reads the quoted string at `at`, leaving `at` past its closing quote;
    // false when the text ends first.
    const auto quoted = [&](std::string& text) {
        const std::uint8_t* first = ++at;
        while (!atEnd() && *at != f::quote) ++at;
        if (atEnd()) return false;
        text.assign(reinterpret_cast<const char*>(first), static_cast<std::size_t>(at - first));
        ++at;
        return true;
    };

    for (;;) {
        skipSpace();
        if (atEnd()) return std::nullopt;
        if (*at != f::open) return fault();
        ++at;
        Entity entity;
        for (skipSpace(); !atEnd() && *at == f::quote; skipSpace()) {
            std::pair<std::string, std::string> pair;
            if (!quoted(pair.first)) return fault();
            skipSpace();
            if (atEnd() || *at != f::quote || !quoted(pair.second)) return fault();
            entity.pairs.push_back(std::move(pair));
        }
        if (atEnd() || *at != f::close) return fault();
        ++at;
        into.push_back(std::move(entity));
    }
}

}  // namespace

BSP::BSP(const char* directoryPath, const char* levelPath)
    : fileName(nameOf(levelPath)), directory(directoryOf(directoryPath)) {
    const FileReadResult read = readWholeFile(levelPath, buffer);
    if (read != FileReadResult::ok) {
        report(readFailureMessage(read, levelPath, "input bsp file", "bsp file"));
        return;
    }

    const std::uint8_t* start = buffer.data;
    if (buffer.size <= format::headerSize ||
        !std::equal(std::begin(format::magic), std::end(format::magic),
                    start + format::magicOffset)) {
        report("ERROR: The bsp's file format is unsupported.");
        releaseFileBuffer(buffer);
        return;
    }

    switch (readU32(start + format::versionOffset)) {
    case format::version4: useVersion4Layout(); break;
    case format::version59: useVersion59Layout(); break;
    default:
        report("ERROR: The bsp's file version is unsupported.");
        releaseFileBuffer(buffer);
        return;
    }

    readLumps();
}

BSP::~BSP() { releaseFileBuffer(buffer); }

std::uint32_t BSP::version() const { return readU32(buffer.data + format::versionOffset); }

void BSP::useVersion4Layout() {
    lumpCount = format::version4LumpCount;
    lumpLoaders[format::lumpMaterials] = &BSP::loadMaterials;
    lumpLoaders[format::lumpPlanes] = &BSP::loadPlanes;
    lumpLoaders[format::lumpTextureGroups] = &BSP::loadTextureGroups;
    lumpLoaders[format::lumpVertices] = &BSP::loadVertices;
    lumpLoaders[format::lumpTriangles] = &BSP::loadTriangles;
    lumpLoaders[format::lumpEntities] = &BSP::loadEntities;
}

void BSP::useVersion59Layout() { lumpCount = format::version59LumpCount; }

void BSP::readLumps() {
    const std::uint8_t* start = buffer.data;
    const std::uint64_t fileSize = buffer.size;

    cursor = start + format::directoryOffset;
    while (static_cast<std::uint64_t>(cursor - start) + format::entry::size <= fileSize) {
        const std::uint32_t length = readU32(cursor + format::entry::length);
        const std::uint32_t offset = readU32(cursor + format::entry::offset);
        cursor += format::entry::size;
        // 64-bit, so that an offset near 4 GiB cannot wrap past the check.
        if (static_cast<std::uint64_t>(offset) + length > fileSize) {
            report("WARNING: The bsp's file is too short, the lump's directory is pointing outside the "
                   "file, starting from lump '" +
                   std::to_string(lumps.size()) + "'.");
            break;
        }
        lumps.emplace_back(offset, length);
        if (lumps.size() == lumpCount) break;
    }

    for (std::uint32_t lump = 0; lump < lumps.size(); ++lump) {
        const Index& index = lumps[lump];
        const auto loader = lumpLoaders.find(lump);
        if (index.length == 0 || loader == lumpLoaders.end()) continue;
        cursor = start + index.offset;
        lumpEnd = cursor + index.length;
        (this->*(loader->second))();
    }
}

template <typename Element>
void BSP::loadRecords(std::vector<Element>& into, std::size_t recordSize,
                      Element (*decode)(const std::uint8_t* record)) {
    into.reserve(into.size() + static_cast<std::size_t>(lumpEnd - cursor) / recordSize);
    preferHugePages(into.data(), into.capacity() * sizeof(Element));
    while (static_cast<std::size_t>(lumpEnd - cursor) >= recordSize) {
        into.push_back(decode(cursor));
        cursor += recordSize;
    }
}

void BSP::loadPlanes() { loadRecords(planes, format::plane::size, decodePlane); }

void BSP::loadTextureGroups() {
    loadRecords(textureGroups, format::textureGroup::size, decodeTextureGroup);
}

void BSP::loadVertices() { vertices = recordsInPlace<VertexRecords>(cursor, lumpEnd); }

void BSP::loadTriangles() { triangles = recordsInPlace<TriangleRecords>(cursor, lumpEnd); }

void BSP::loadMaterials() { loadRecords(materials, format::material::size, decodeMaterial); }

void BSP::loadEntities() {
    const std::optional<std::size_t> fault = readEntityText(cursor, lumpEnd, entities);
    if (fault)
        report("WARNING: The bsp's entity text is malformed at byte '" + std::to_string(*fault) + "'; '" +
               std::to_string(entities.size()) + "' entities were read.");
}

void BSP::report(std::string line) {
    std::cerr << line << '\n';
    messages.push_back(std::move(line));
}

}  // namespace Qor
