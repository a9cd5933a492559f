#include "LevelWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "LevelFormat.h"

namespace Qor {

void appendU8(Bytes& out, std::uint8_t value) { out.push_back(value); }

void appendU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendU32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
}

void appendF32(Bytes& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendU32(out, bits);
}

namespace {

void appendZeros(Bytes& out, std::size_t count) { out.insert(out.end(), count, 0); }

}  // namespace

Bytes encodePlanes(const std::vector<Plane>& planes) {
    Bytes out;
    out.reserve(planes.size() * format::plane::size);
    for (const Plane& p : planes) {
        appendF32(out, p.a);
        appendF32(out, p.b);
        appendF32(out, p.c);
        appendF32(out, p.d);
    }
    return out;
}

Bytes encodeTextureGroups(const std::vector<TextureGroup>& groups) {
    Bytes out;
    out.reserve(groups.size() * format::textureGroup::size);
    for (const TextureGroup& g : groups) {
        appendU32(out, g.texture);
        appendU32(out, g.firstVertex);
        appendU16(out, static_cast<std::uint16_t>(g.vertexCount));
        appendU16(out, static_cast<std::uint16_t>(g.indexCount));
        appendU32(out, g.firstIndex);
    }
    return out;
}

Bytes encodeVertices(const std::vector<Vertex>& vertices) {
    namespace f = format::vertex;
    Bytes out;
    out.reserve(vertices.size() * f::size);
    for (const Vertex& v : vertices) {
        appendF32(out, v.x);
        appendF32(out, v.y);
        appendF32(out, v.z);
        for (const float component : v.normal) appendF32(out, component);
        for (const std::uint8_t channel : v.colour) appendU8(out, channel);
        appendU8(out, v.alpha);
        for (const float coordinate : v.texture) appendF32(out, coordinate);
        for (const float coordinate : v.lightmap) appendF32(out, coordinate);
        appendZeros(out, f::size - (f::lightmap + 8));
    }
    return out;
}

Bytes encodeTriangles(const std::vector<Triangle>& triangles) {
    Bytes out;
    out.reserve(triangles.size() * format::triangle::size);
    for (const Triangle& t : triangles)
        for (std::uint32_t corner : t.corners) appendU16(out, static_cast<std::uint16_t>(corner));
    return out;
}

Bytes encodeMaterials(const std::vector<Material>& materials) {
    namespace f = format::material;
    Bytes out;
    out.reserve(materials.size() * f::size);
    for (const Material& m : materials) {
        const std::size_t length = std::min(m.name.size(), f::nameSize);
        out.insert(out.end(), m.name.begin(), m.name.begin() + static_cast<std::ptrdiff_t>(length));
        appendZeros(out, f::nameSize - length);
        appendU32(out, m.surfaceFlags);
        appendU32(out, m.contentFlags);
    }
    return out;
}

Bytes encodeEntities(const std::vector<Entity>& entities) {
    std::string text;
    for (const Entity& entity : entities) {
        text += "{\n";
        for (const auto& [key, value] : entity.pairs) text += '"' + key + "\" \"" + value + "\"\n";
        text += "}\n";
    }
    if (!text.empty()) text += format::entities::end;
    return Bytes(text.begin(), text.end());
}

std::vector<LevelWriter::Entry> LevelWriter::layOut() const {
    std::vector<Entry> entries(entryCount, Entry{0, 0});
    std::uint64_t next = format::directoryOffset + std::uint64_t{entryCount} * format::entry::size;
    for (std::uint32_t lump = 0; lump < entryCount; ++lump) {
        const auto found = lumpBytes.find(lump);
        const std::size_t length = found == lumpBytes.end() ? 0 : found->second.size();
        entries[lump] = Entry{static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(next)};
        next += length;
    }
    return entries;
}

Bytes LevelWriter::bytes() const { return bytes(layOut()); }

Bytes LevelWriter::bytes(const std::vector<Entry>& entries) const {
    std::size_t total = format::directoryOffset + entries.size() * format::entry::size;
    for (const auto& lump : lumpBytes) total += lump.second.size();

    Bytes out;
    out.reserve(total);
    out.insert(out.end(), std::begin(format::magic), std::end(format::magic));
    appendU32(out, version);
    for (const Entry& e : entries) {
        appendU32(out, e.length);
        appendU32(out, e.offset);
    }
    for (std::uint32_t lump = 0; lump < entryCount; ++lump) {
        const auto found = lumpBytes.find(lump);
        if (found != lumpBytes.end()) out.insert(out.end(), found->second.begin(), found->second.end());
    }
    return out;
}

LevelWriter writerFor(const LevelContents& contents) {
    LevelWriter writer;
    writer.lumpBytes[format::lumpPlanes] = encodePlanes(contents.planes);
    writer.lumpBytes[format::lumpTextureGroups] = encodeTextureGroups(contents.textureGroups);
    writer.lumpBytes[format::lumpVertices] = encodeVertices(contents.vertices);
    writer.lumpBytes[format::lumpTriangles] = encodeTriangles(contents.triangles);
    writer.lumpBytes[format::lumpMaterials] = encodeMaterials(contents.materials);
    writer.lumpBytes[format::lumpEntities] = encodeEntities(contents.entities);
    return writer;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    // An empty vector may have no data pointer, which fwrite must not be given.
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace Qor
