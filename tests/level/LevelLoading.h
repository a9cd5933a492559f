#pragma once

// Loading fixtures in the level tests: what the load left in the level and
// what it wrote on stderr, and the reader's messages.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "BSP.h"
#include "LevelWriter.h"
#include "TestSupport.h"

namespace leveltest {

struct Loaded {
    std::unique_ptr<Qor::BSP> level;
    std::string err;
};

inline Loaded load(const std::string& path, const char* directoryPath = "") {
    testing::internal::CaptureStderr();
    auto level = std::make_unique<Qor::BSP>(directoryPath, path.c_str());
    return Loaded{std::move(level), testing::internal::GetCapturedStderr()};
}

inline Loaded loadBytes(const Qor::Bytes& bytes) {
    return load(testsupport::writeTemp("fixture.d3dbsp", bytes));
}

// A version-4 level holding these lumps' bytes, laid out as the writer does.
inline Qor::LevelWriter writerWith(const std::map<std::uint32_t, Qor::Bytes>& lumps) {
    Qor::LevelWriter writer;
    writer.lumpBytes = lumps;
    return writer;
}

inline std::string openMessage(const std::string& path) {
    return "ERROR: Could not open input bsp file '" + path + "'.\n";
}
inline std::string readMessage(const std::string& path) {
    return "ERROR: Could not read bsp file '" + path + "'.\n";
}
inline const std::string formatMessage = "ERROR: The bsp's file format is unsupported.\n";
inline const std::string versionMessage = "ERROR: The bsp's file version is unsupported.\n";
inline std::string directoryWarning(unsigned lump) {
    return "WARNING: The bsp's file is too short, the lump's directory is pointing outside the "
           "file, starting from lump '" +
           std::to_string(lump) + "'.\n";
}

// What any failed load leaves: no bytes, no directory, no geometry.
inline void expectNothingKept(const Qor::BSP& level) {
    EXPECT_EQ(level.buffer.data, nullptr);
    EXPECT_EQ(level.buffer.size, 0u);
    EXPECT_TRUE(level.lumps.empty());
    EXPECT_TRUE(level.planes.empty());
    EXPECT_TRUE(level.textureGroups.empty());
    EXPECT_TRUE(level.vertices.empty());
    EXPECT_TRUE(level.triangles.empty());
}

// A failure before the version was known also leaves no layout.
inline void expectNoLayout(const Qor::BSP& level) {
    EXPECT_EQ(level.lumpCount, 0u);
    EXPECT_TRUE(level.lumpLoaders.empty());
}

}  // namespace leveltest
