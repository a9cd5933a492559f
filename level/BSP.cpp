#include "BSP.h"

#include <algorithm>
#include <iostream>
#include <iterator>

#include "ByteReader.h"
#include "HugePages.h"
#include "LevelFormat.h"

namespace Qor {

namespace {

std::string directoryPart(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNamePart(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Plane decodePlane(const std::uint8_t* record) {
    namespace f = format::plane;
    Plane plane;
    plane.a = readS32(record + f::a);
    plane.b = readS32(record + f::b);
    plane.c = readS32(record + f::c);
    plane.d = readS32(record + f::d);
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

Vertex decodeVertex(const std::uint8_t* record) {
    namespace f = format::vertex;
    Vertex vertex;
    vertex.x = readF32(record + f::x);
    vertex.y = readF32(record + f::y);
    vertex.z = readF32(record + f::z);
    vertex.alpha = readU8(record + f::alpha);
    return vertex;
}

Triangle decodeTriangle(const std::uint8_t* record) {
    namespace f = format::triangle;
    Triangle triangle;
    for (std::size_t k = 0; k < triangle.corners.size(); ++k)
        triangle.corners[k] = readU16(record + f::corners + k * f::cornerStride);
    return triangle;
}

}  // namespace

BSP::BSP(const char* directoryPath, const char* levelPath)
    : directory(directoryPart(directoryPath)), fileName(fileNamePart(levelPath)) {
    if (!loadWholeFile(levelPath, buffer, "input bsp file", "bsp file")) return;

    const std::uint8_t* start = buffer.data;
    if (buffer.size <= format::headerSize ||
        !std::equal(std::begin(format::magic), std::end(format::magic),
                    start + format::magicOffset)) {
        std::cerr << "ERROR: The bsp's file format is unsupported.\n";
        releaseFileBuffer(buffer);
        return;
    }

    switch (readU32(start + format::versionOffset)) {
    case format::version4: useVersion4Layout(); break;
    case format::version59: useVersion59Layout(); break;
    default:
        std::cerr << "ERROR: The bsp's file version is unsupported.\n";
        releaseFileBuffer(buffer);
        return;
    }

    if (leadingNewline) std::cout << '\n';
    readLumps();
}

BSP::~BSP() { releaseFileBuffer(buffer); }

void BSP::useVersion4Layout() {
    lumpCount = format::version4LumpCount;
    lumpLoaders[format::lumpIgnoredFirst] = &BSP::loadNothing;
    lumpLoaders[format::lumpPlanes] = &BSP::loadPlanes;
    lumpLoaders[format::lumpTextureGroups] = &BSP::loadTextureGroups;
    lumpLoaders[format::lumpVertices] = &BSP::loadVertices;
    lumpLoaders[format::lumpTriangles] = &BSP::loadTriangles;
    lumpLoaders[format::lumpIgnoredLast] = &BSP::loadNothing;
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
            std::cerr << "WARNING: The bsp's file is too short, the lump's directory is pointing "
                         "outside the file, starting from lump '"
                      << lumps.size() << "'.\n";
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

void BSP::loadVertices() { loadRecords(vertices, format::vertex::size, decodeVertex); }

void BSP::loadTriangles() { loadRecords(triangles, format::triangle::size, decodeTriangle); }

void BSP::loadNothing() {}

}  // namespace Qor
