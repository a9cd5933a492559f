#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "LevelLoading.h"

namespace {

// A level with one lump of these bytes. A one-byte lump 1 (which has no
// loader) comes first, so every decoded record starts at an odd offset.
leveltest::Loaded loadLump(std::uint32_t lump, const Qor::Bytes& bytes) {
    auto loaded = leveltest::loadBytes(leveltest::writerWith({{1, {0x5A}}, {lump, bytes}}).bytes());
    EXPECT_EQ(loaded.err, "");
    return loaded;
}

std::size_t decodedCount(const Qor::BSP& level, std::uint32_t lump) {
    switch (lump) {
    case 4: return level.planes.size();
    case 7: return level.textureGroups.size();
    case 8: return level.vertices.size();
    default: return level.triangles.size();
    }
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST(LumpDecoding, DropsTheIncompleteLastRecordOfEachLump) {
    struct Case {
        std::uint32_t lump;
        std::size_t length;
        std::size_t records;
    };
    const Case cases[] = {
        {4, 15, 0}, {4, 33, 2}, {7, 16, 1}, {7, 47, 2}, {8, 67, 0}, {8, 136, 2}, {9, 5, 0}, {9, 13, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "lump " << c.lump << " of " << c.length << " bytes");
        const auto loaded = loadLump(c.lump, Qor::Bytes(c.length, 0x11));
        EXPECT_EQ(decodedCount(*loaded.level, c.lump), c.records);
    }
}

TEST(LumpDecoding, ReadsTextureGroupFieldsInFileOrder) {
    const auto loaded = loadLump(7, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x03, 0x00, 0x06, 0x00,
                                     0x09, 0x00, 0x00, 0x00, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFE, 0xFF,
                                     0, 0, 0, 0x80});
    ASSERT_EQ(loaded.level->textureGroups.size(), 2u);
    const Qor::TextureGroup& first = loaded.level->textureGroups[0];
    EXPECT_EQ(first.texture, 0x04030201u);
    EXPECT_EQ(first.firstVertex, 0x08070605u);
    EXPECT_EQ(first.vertexCount, 3u);
    EXPECT_EQ(first.indexCount, 6u);
    EXPECT_EQ(first.firstIndex, 9u);
    const Qor::TextureGroup& second = loaded.level->textureGroups[1];
    EXPECT_EQ(second.texture, 11u);
    EXPECT_EQ(second.vertexCount, 65535u);
    EXPECT_EQ(second.indexCount, 65534u);
    EXPECT_EQ(second.firstIndex, 0x80000000u);
}

TEST(LumpDecoding, WidensTriangleCornersWithZeroUpperBits) {
    const auto loaded = loadLump(9, {0xFF, 0xFF, 0x00, 0x80, 0x01, 0x02});
    ASSERT_EQ(loaded.level->triangles.size(), 1u);
    const auto& corners = loaded.level->triangles[0].corners;
    EXPECT_EQ(corners[0], 65535u);
    EXPECT_EQ(corners[1], 32768u);
    EXPECT_EQ(corners[2], 0x0201u);
}

TEST(LumpDecoding, KeepsPlaneBitPatternsAsSignedIntegers) {
    const auto loaded = loadLump(4, {0x00, 0x00, 0x80, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80,
                                     0x78, 0x56, 0x34, 0x12});
    ASSERT_EQ(loaded.level->planes.size(), 1u);
    const Qor::Plane& plane = loaded.level->planes[0];
    EXPECT_EQ(plane.a, 1065353216);
    EXPECT_EQ(plane.b, -1);
    EXPECT_EQ(plane.c, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(plane.d, 0x12345678);
}

TEST(LumpDecoding, TakesOnlyPositionAndAlphaFromAVertex) {
    // x = 1.0, y = -2.0, z = a NaN with payload; alpha at byte 27.
    const std::uint8_t position[12] = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x01, 0x00, 0xC0, 0x7F};
    auto record = [&](std::uint8_t filler, std::uint8_t alpha) {
        Qor::Bytes bytes(68, filler);
        std::memcpy(bytes.data(), position, sizeof position);
        bytes[27] = alpha;
        return bytes;
    };
    Qor::Bytes lump = record(0x00, 0x42);
    const Qor::Bytes second = record(0xFF, 0x00);
    lump.insert(lump.end(), second.begin(), second.end());

    const auto loaded = loadLump(8, lump);
    ASSERT_EQ(loaded.level->vertices.size(), 2u);
    for (const Qor::Vertex& v : loaded.level->vertices) {
        EXPECT_EQ(bitsOf(v.x), 0x3F800000u);
        EXPECT_EQ(bitsOf(v.y), 0xC0000000u);
        EXPECT_EQ(bitsOf(v.z), 0x7FC00001u);
    }
    EXPECT_EQ(loaded.level->vertices[0].alpha, 0x42);
    EXPECT_EQ(loaded.level->vertices[1].alpha, 0x00);
}

}  // namespace
