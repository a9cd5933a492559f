#include "ImportV46.h"

#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "ByteReader.h"
#include "FormatV46.h"
#include "LevelFormat.h"

namespace v46 {

namespace {

std::string quoted(std::uint64_t number) { return "'" + std::to_string(number) + "'"; }

std::int32_t readI32(const std::uint8_t* p) { return static_cast<std::int32_t>(Qor::readU32(p)); }

struct Lump {
    const std::uint8_t* data = nullptr;
    std::size_t length = 0;
    std::size_t count = 0;  // whole records, for the record lumps

    const std::uint8_t* record(std::size_t index, std::size_t recordSize) const { return data + index * recordSize; }
};

// A range [first, first + count) of an array of `total` records, given as
// the file's signed values; false when any part lies outside.
bool inside(std::int32_t first, std::int32_t count, std::size_t total) {
    return first >= 0 && count >= 0 &&
           static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) <= total;
}

struct Surface {
    std::uint32_t shader;
    std::uint32_t firstVertex;
    std::uint32_t vertexCount;
    std::uint32_t firstIndex;  // patches: unused
    std::uint64_t cornerCount;  // the corners its triangles will have; a patch's may pass 32 bits
    std::uint32_t patchWidth;  // 0 for surfaces with indexes
    std::uint32_t patchHeight;
};

class Converter {
public:
    Converter(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    Conversion run();

private:
    bool readHeader();
    bool readLump(std::uint32_t number, std::size_t recordSize, Lump& into);
    // The surface checked against the lumps, or the reason it is left out.
    std::optional<Surface> check(const std::uint8_t* record, const char*& reason) const;
    std::vector<std::uint32_t> corners(const Surface& surface) const;
    void emit(const Surface& surface, const std::vector<std::uint32_t>& corners);
    void emitVertex(std::size_t index);
    void fail(std::string message) { result_.error = "ERROR: " + std::move(message); }

    const std::uint8_t* data_;
    std::size_t size_;
    Lump entities_, shaders_, planes_, vertices_, indexes_, surfaces_;
    Conversion result_;
    std::vector<Qor::TextureGroup> groups_;
    std::vector<Qor::Triangle> triangles_;
    Qor::Bytes vertexBytes_;
};

bool Converter::readHeader() {
    if (size_ < sizeof magic || std::memcmp(data_ + magicOffset, magic, sizeof magic) != 0) {
        fail("The file is not a bsp level: it does not begin with 'IBSP'.");
        return false;
    }
    if (size_ < headerSize) {
        fail("The bsp's header is cut short: it needs " + quoted(headerSize) + " bytes, the file holds " +
             quoted(size_) + ".");
        return false;
    }
    const std::uint32_t fileVersion = Qor::readU32(data_ + versionOffset);
    if (fileVersion != version) {
        fail("The bsp's file version is not " + quoted(version) + " but " + quoted(fileVersion) + ".");
        return false;
    }
    return readLump(lumpEntities, 0, entities_) && readLump(lumpShaders, shader::size, shaders_) &&
           readLump(lumpPlanes, plane::size, planes_) && readLump(lumpVertices, vertex::size, vertices_) &&
           readLump(lumpIndexes, index::size, indexes_) && readLump(lumpSurfaces, surface::size, surfaces_);
}

bool Converter::readLump(std::uint32_t number, std::size_t recordSize, Lump& into) {
    const std::uint8_t* entry = data_ + directoryOffset + number * entry::size;
    const std::int32_t offset = readI32(entry + entry::offset);
    const std::int32_t length = readI32(entry + entry::length);
    if (!inside(offset, length, size_)) {
        fail("The bsp's lump " + quoted(number) + " lies outside the file of " + quoted(size_) +
             " bytes: offset " + quoted(static_cast<std::uint32_t>(offset)) + ", length " +
             quoted(static_cast<std::uint32_t>(length)) + ".");
        return false;
    }
    into.data = data_ + offset;
    into.length = static_cast<std::size_t>(length);
    if (recordSize != 0) {
        if (into.length % recordSize != 0) {
            fail("The bsp's lump " + quoted(number) + " is not a whole number of " + quoted(recordSize) +
                 "-byte records: its length is " + quoted(into.length) + ".");
            return false;
        }
        into.count = into.length / recordSize;
    }
    return true;
}

std::optional<Surface> Converter::check(const std::uint8_t* record, const char*& why) const {
    const std::int32_t type = readI32(record + surface::type);
    if (type == surface::typeFlare) return why = reason::flare, std::nullopt;
    if (type != surface::typePlanar && type != surface::typePatch && type != surface::typeTriangleSoup)
        return why = reason::unknownType, std::nullopt;

    const std::int32_t shader = readI32(record + surface::shader);
    if (!inside(shader, 1, shaders_.count)) return why = reason::shader, std::nullopt;
    const std::int32_t firstVertex = readI32(record + surface::firstVertex);
    const std::int32_t vertexCount = readI32(record + surface::vertexCount);
    if (!inside(firstVertex, vertexCount, vertices_.count)) return why = reason::vertices, std::nullopt;

    Surface s{static_cast<std::uint32_t>(shader), static_cast<std::uint32_t>(firstVertex),
              static_cast<std::uint32_t>(vertexCount), 0, 0, 0, 0};
    if (type == surface::typePatch) {
        const std::int32_t width = readI32(record + surface::patchWidth);
        const std::int32_t height = readI32(record + surface::patchHeight);
        if (width < 2 || height < 2 ||
            static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > s.vertexCount)
            return why = reason::patchGrid, std::nullopt;
        s.patchWidth = static_cast<std::uint32_t>(width);
        s.patchHeight = static_cast<std::uint32_t>(height);
        s.cornerCount = 6 * std::uint64_t{s.patchWidth - 1} * (s.patchHeight - 1);
        return s;
    }

    const std::int32_t firstIndex = readI32(record + surface::firstIndex);
    const std::int32_t indexCount = readI32(record + surface::indexCount);
    if (!inside(firstIndex, indexCount, indexes_.count)) return why = reason::indexes, std::nullopt;
    if (indexCount % 3 != 0) return why = reason::partialTriangle, std::nullopt;
    if (indexCount == 0) return why = reason::empty, std::nullopt;
    s.firstIndex = static_cast<std::uint32_t>(firstIndex);
    s.cornerCount = static_cast<std::uint32_t>(indexCount);
    for (std::uint32_t i = 0; i < s.cornerCount; ++i) {
        const std::int32_t corner = readI32(indexes_.record(s.firstIndex + i, index::size));
        if (!inside(corner, 1, s.vertexCount)) return why = reason::corners, std::nullopt;
    }
    return s;
}

std::vector<std::uint32_t> Converter::corners(const Surface& s) const {
    std::vector<std::uint32_t> out;
    out.reserve(static_cast<std::size_t>(s.cornerCount));
    if (s.patchWidth == 0) {
        for (std::uint32_t i = 0; i < s.cornerCount; ++i)
            out.push_back(Qor::readU32(indexes_.record(s.firstIndex + i, index::size)));
        return out;
    }
    // Two triangles per grid cell, wound alike.
    const std::uint32_t w = s.patchWidth;
    for (std::uint32_t row = 0; row + 1 < s.patchHeight; ++row) {
        for (std::uint32_t column = 0; column + 1 < w; ++column) {
            const std::uint32_t corner = row * w + column;
            for (std::uint32_t c : {corner, corner + w, corner + 1, corner + 1, corner + w, corner + w + 1})
                out.push_back(c);
        }
    }
    return out;
}

void Converter::emitVertex(std::size_t index) {
    const std::uint8_t* in = vertices_.record(index, vertex::size);
    namespace out = Qor::format::vertex;
    for (std::size_t i = 0; i < 3; ++i) Qor::appendF32(vertexBytes_, Qor::readF32(in + vertex::position + 4 * i));
    for (std::size_t i = 0; i < 3; ++i) Qor::appendF32(vertexBytes_, Qor::readF32(in + vertex::normal + 4 * i));
    for (std::size_t i = 0; i < 4; ++i) Qor::appendU8(vertexBytes_, in[vertex::colour + i]);
    for (std::size_t i = 0; i < 2; ++i) Qor::appendF32(vertexBytes_, Qor::readF32(in + vertex::texture + 4 * i));
    for (std::size_t i = 0; i < 2; ++i) Qor::appendF32(vertexBytes_, Qor::readF32(in + vertex::lightmap + 4 * i));
    vertexBytes_.insert(vertexBytes_.end(), out::size - (out::lightmap + 8), 0);
}

void Converter::emit(const Surface& s, const std::vector<std::uint32_t>& corners) {
    const auto startGroup = [&](std::uint32_t vertexCount) {
        Qor::TextureGroup group;
        group.texture = s.shader;
        group.firstVertex = static_cast<std::uint32_t>(vertexBytes_.size() / Qor::format::vertex::size);
        group.vertexCount = vertexCount;
        group.firstIndex = static_cast<std::uint32_t>(3 * triangles_.size());
        groups_.push_back(group);
    };
    const auto addTriangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        triangles_.push_back(Qor::Triangle{{a, b, c}});
        groups_.back().indexCount += 3;
    };

    if (s.vertexCount <= groupLimit && corners.size() <= groupLimit) {
        startGroup(s.vertexCount);
        for (std::uint32_t v = 0; v < s.vertexCount; ++v) emitVertex(s.firstVertex + v);
        for (std::size_t i = 0; i < corners.size(); i += 3) addTriangle(corners[i], corners[i + 1], corners[i + 2]);
        return;
    }

    // Too big for one group: runs of whole triangles, each with a copy of
    // the vertices it uses, renumbered from 0.
    ++result_.splitSurfaces;
    constexpr std::uint32_t unused = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> renumbered(s.vertexCount, unused);
    std::vector<std::uint32_t> used;
    const auto closeGroup = [&] {
        groups_.back().vertexCount = static_cast<std::uint32_t>(used.size());
        for (std::uint32_t v : used) renumbered[v] = unused;
        used.clear();
    };
    startGroup(0);
    for (std::size_t i = 0; i < corners.size(); i += 3) {
        std::size_t fresh = 0;
        for (std::size_t j = 0; j < 3; ++j) fresh += renumbered[corners[i + j]] == unused ? 1 : 0;
        if (used.size() + fresh > groupLimit || groups_.back().indexCount + 3 > groupLimit) {
            closeGroup();
            startGroup(0);
        }
        std::uint32_t local[3];
        for (std::size_t j = 0; j < 3; ++j) {
            std::uint32_t& number = renumbered[corners[i + j]];
            if (number == unused) {
                number = static_cast<std::uint32_t>(used.size());
                used.push_back(corners[i + j]);
                emitVertex(s.firstVertex + corners[i + j]);
            }
            local[j] = number;
        }
        addTriangle(local[0], local[1], local[2]);
    }
    closeGroup();
}

Conversion Converter::run() {
    if (!readHeader()) return std::move(result_);
    result_.surfaces = surfaces_.count;

    // What the surfaces will need at most, before anything is built: a
    // small file can name the same large run of vertices many times.
    std::uint64_t vertexBound = 0, triangleBound = 0, groupBound = 0;
    for (std::size_t i = 0; i < surfaces_.count; ++i) {
        const char* why = nullptr;
        const std::optional<Surface> s = check(surfaces_.record(i, surface::size), why);
        if (!s) continue;
        const bool split = s->vertexCount > groupLimit || s->cornerCount > groupLimit;
        vertexBound += s->vertexCount + (split ? s->cornerCount : 0);
        triangleBound += s->cornerCount / 3;
        groupBound += split ? s->cornerCount / 3 + 1 : 1;
    }
    const std::uint64_t byteBound = Qor::format::directoryOffset +
                                    Qor::format::version4LumpCount * Qor::format::entry::size +
                                    shaders_.count * Qor::format::material::size + planes_.length +
                                    entities_.length + vertexBound * Qor::format::vertex::size +
                                    triangleBound * Qor::format::triangle::size +
                                    groupBound * Qor::format::textureGroup::size;
    if (byteBound > std::numeric_limits<std::uint32_t>::max()) {
        fail("The converted level could need more bytes than a level file can address: " + quoted(byteBound) + ".");
        return std::move(result_);
    }

    for (std::size_t i = 0; i < surfaces_.count; ++i) {
        const char* why = nullptr;
        const std::optional<Surface> s = check(surfaces_.record(i, surface::size), why);
        if (!s) {
            ++result_.leftOut[why];
            continue;
        }
        emit(*s, corners(*s));
        ++result_.convertedSurfaces;
    }

    std::vector<Qor::Material> materials(shaders_.count);
    for (std::size_t i = 0; i < shaders_.count; ++i) {
        const std::uint8_t* in = shaders_.record(i, shader::size);
        const char* name = reinterpret_cast<const char*>(in + shader::name);
        materials[i].name.assign(name, strnlen(name, shader::nameSize));
        materials[i].surfaceFlags = Qor::readU32(in + shader::surfaceFlags);
        materials[i].contentFlags = Qor::readU32(in + shader::contentFlags);
    }
    std::vector<Qor::Plane> planes(planes_.count);
    for (std::size_t i = 0; i < planes_.count; ++i) {
        const std::uint8_t* in = planes_.record(i, plane::size);
        planes[i] = Qor::Plane{Qor::readF32(in + plane::normal), Qor::readF32(in + plane::normal + 4),
                               Qor::readF32(in + plane::normal + 8), Qor::readF32(in + plane::distance)};
    }

    Qor::LevelWriter writer;
    writer.lumpBytes[Qor::format::lumpMaterials] = Qor::encodeMaterials(materials);
    writer.lumpBytes[Qor::format::lumpPlanes] = Qor::encodePlanes(planes);
    writer.lumpBytes[Qor::format::lumpTextureGroups] = Qor::encodeTextureGroups(groups_);
    writer.lumpBytes[Qor::format::lumpVertices] = std::move(vertexBytes_);
    writer.lumpBytes[Qor::format::lumpTriangles] = Qor::encodeTriangles(triangles_);
    writer.lumpBytes[Qor::format::lumpEntities] = Qor::Bytes(entities_.data, entities_.data + entities_.length);
    result_.level = writer.bytes();

    result_.counts.materials = materials.size();
    result_.counts.planes = planes.size();
    result_.counts.textureGroups = groups_.size();
    result_.counts.vertices = writer.lumpBytes[Qor::format::lumpVertices].size() / Qor::format::vertex::size;
    result_.counts.triangles = triangles_.size();
    result_.counts.entityBytes = entities_.length;
    return std::move(result_);
}

}  // namespace

Conversion convert(const std::uint8_t* data, std::size_t size) { return Converter(data, size).run(); }

}  // namespace v46
