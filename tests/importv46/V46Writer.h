#pragma once

// Writes small version-46 levels for the importer's tests: the lumps the
// importer reads, laid out after the header in lump order, the others empty.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "FormatV46.h"
#include "LevelWriter.h"

namespace testv46 {

struct Shader {
    std::string name;
    std::uint32_t surfaceFlags = 0;
    std::uint32_t contentFlags = 0;
};

struct Vertex {
    std::array<float, 3> position{};
    std::array<float, 2> texture{};
    std::array<float, 2> lightmap{};
    std::array<float, 3> normal{};
    std::array<std::uint8_t, 4> colour{255, 255, 255, 255};
};

struct Surface {
    std::int32_t shader = 0;
    std::int32_t type = v46::surface::typePlanar;
    std::int32_t firstVertex = 0;
    std::int32_t vertexCount = 0;
    std::int32_t firstIndex = 0;
    std::int32_t indexCount = 0;
    std::int32_t patchWidth = 0;
    std::int32_t patchHeight = 0;
};

struct Level {
    std::uint32_t version = v46::version;
    std::string entities;
    std::vector<Shader> shaders;
    std::vector<std::array<float, 4>> planes;
    std::vector<Vertex> vertices;
    std::vector<std::int32_t> indexes;
    std::vector<Surface> surfaces;

    struct Entry {
        std::int32_t offset;
        std::int32_t length;
    };

    std::vector<Qor::Bytes> lumps() const {
        std::vector<Qor::Bytes> out(v46::lumpCount);
        out[v46::lumpEntities].assign(entities.begin(), entities.end());
        for (const Shader& s : shaders) {
            Qor::Bytes& b = out[v46::lumpShaders];
            b.insert(b.end(), s.name.begin(), s.name.end());
            b.insert(b.end(), v46::shader::nameSize - s.name.size(), 0);
            Qor::appendU32(b, s.surfaceFlags);
            Qor::appendU32(b, s.contentFlags);
        }
        for (const auto& p : planes)
            for (float f : p) Qor::appendF32(out[v46::lumpPlanes], f);
        for (const Vertex& v : vertices) {
            Qor::Bytes& b = out[v46::lumpVertices];
            for (float f : v.position) Qor::appendF32(b, f);
            for (float f : {v.texture[0], v.texture[1], v.lightmap[0], v.lightmap[1]}) Qor::appendF32(b, f);
            for (float f : v.normal) Qor::appendF32(b, f);
            b.insert(b.end(), v.colour.begin(), v.colour.end());
        }
        for (std::int32_t i : indexes) Qor::appendU32(out[v46::lumpIndexes], static_cast<std::uint32_t>(i));
        // Written field by field, so that the format's offsets are checked, not
        // taken on trust: no fog, then 17 fields of lightmap placement left zero.
        for (const Surface& s : surfaces) {
            Qor::Bytes& b = out[v46::lumpSurfaces];
            for (std::int32_t value : {s.shader, -1, s.type, s.firstVertex, s.vertexCount, s.firstIndex, s.indexCount})
                Qor::appendU32(b, static_cast<std::uint32_t>(value));
            b.insert(b.end(), 17 * 4, 0);
            for (std::int32_t value : {s.patchWidth, s.patchHeight}) Qor::appendU32(b, static_cast<std::uint32_t>(value));
        }
        return out;
    }

    std::vector<Entry> layOut() const {
        std::vector<Entry> entries;
        std::int32_t next = static_cast<std::int32_t>(v46::headerSize);
        for (const Qor::Bytes& lump : lumps()) {
            entries.push_back({next, static_cast<std::int32_t>(lump.size())});
            next += static_cast<std::int32_t>(lump.size());
        }
        return entries;
    }

    Qor::Bytes bytes() const { return bytes(layOut()); }

    // With a directory of the caller's choosing, to point lumps anywhere.
    Qor::Bytes bytes(const std::vector<Entry>& entries) const {
        Qor::Bytes out(std::begin(v46::magic), std::end(v46::magic));
        Qor::appendU32(out, version);
        for (const Entry& e : entries) {
            Qor::appendU32(out, static_cast<std::uint32_t>(e.offset));
            Qor::appendU32(out, static_cast<std::uint32_t>(e.length));
        }
        for (const Qor::Bytes& lump : lumps()) out.insert(out.end(), lump.begin(), lump.end());
        return out;
    }
};

}  // namespace testv46
