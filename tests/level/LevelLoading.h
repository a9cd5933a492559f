#pragma once

// Loading levels in the tests: what a load printed, and small levels to load.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BSP.h"
#include "LevelWriter.h"
#include "TestSupport.h"

struct Loaded {
    std::unique_ptr<Qor::BSP> level;
    std::string err;
};

// The lines the level kept, as they were printed.
inline std::string said(const Qor::BSP& level) {
    std::string text;
    for (const std::string& line : level.messages) text += line + "\n";
    return text;
}

// Every load checks that the level kept exactly what it printed.
inline Loaded load(const std::string& path) {
    testing::internal::CaptureStderr();
    auto level = std::make_unique<Qor::BSP>("", path.c_str());
    Loaded loaded{std::move(level), testing::internal::GetCapturedStderr()};
    EXPECT_EQ(said(*loaded.level), loaded.err);
    return loaded;
}

inline Loaded loadBytes(const Qor::Bytes& bytes) { return load(testsupport::writeTemp("fixture.d3dbsp", bytes)); }

// Directory entries, then records of planes, texture groups, vertices and triangles.
inline std::vector<std::size_t> counts(const Qor::BSP& level) {
    return {level.lumps.size(), level.planes.size(), level.textureGroups.size(), level.vertices.size(),
            level.triangles.size()};
}

// These bytes, then zeros up to the size.
inline Qor::Bytes padded(Qor::Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

// One plane, two vertices and two triangles, so that a load shows which lumps were decoded.
inline Qor::LevelWriter sample(std::uint32_t version = 4, std::uint32_t entryCount = 39) {
    const std::map<std::uint32_t, Qor::Bytes> lumps = {
        {4, Qor::encodePlanes({Qor::Plane{1, 2, 3, 4}})},
        {8, Qor::encodeVertices(std::vector<Qor::Vertex>(2))},
        {9, Qor::encodeTriangles(std::vector<Qor::Triangle>(2))}};
    return {version, entryCount, lumps};
}

inline Qor::Bytes withEntry(const Qor::LevelWriter& writer, std::uint32_t lump, Qor::LevelWriter::Entry entry) {
    auto entries = writer.layOut();
    entries[lump] = entry;
    return writer.bytes(entries);
}
