#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "LevelLoading.h"
#include "LevelWriter.h"
#include "TestSupport.h"

namespace {

// Whole literals, NULs inside them included.
using namespace std::string_literals;

TEST(LevelReader, HandlesTheEdgesOfHeaderAndDirectory) {
    const std::string format = "ERROR: The bsp's file format is unsupported.\n";
    const std::string version = "ERROR: The bsp's file version is unsupported.\n";
    const std::string warning =
        "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, starting "
        "from lump '";
    const std::uint32_t size = static_cast<std::uint32_t>(sample().bytes().size());
    const std::tuple<const char*, Qor::Bytes, std::string, std::vector<std::size_t>> cases[] = {
        {"empty", {}, format, {0, 0, 0, 0, 0}},
        {"8 bytes", padded({'I', 'B', 'S', 'P', 4}, 8), format, {0, 0, 0, 0, 0}},
        {"9 bytes", padded({'I', 'B', 'S', 'P', 4}, 9), "", {0, 0, 0, 0, 0}},
        {"other magic", padded({'I', 'B', 'S', 'Q', 4}, 9), format, {0, 0, 0, 0, 0}},
        {"version big-endian", padded({'I', 'B', 'S', 'P', 0, 0, 0, 4}, 9), version, {0, 0, 0, 0, 0}},
        {"7 bytes after 3 entries", padded({'I', 'B', 'S', 'P', 4}, 39), "", {3, 0, 0, 0, 0}},
        {"8 bytes after 3 entries", padded({'I', 'B', 'S', 'P', 4}, 40), "", {4, 0, 0, 0, 0}},
        {"version 4", sample().bytes(), "", {39, 1, 0, 2, 2}},
        {"version 59", sample(59, 40).bytes(), "", {33, 0, 0, 0, 0}},
        {"40 entries", withEntry(sample(4, 40), 39, {2, 0xFFFFFFFFu}), "", {39, 1, 0, 2, 2}},
        {"lump at the end", withEntry(sample(), 8, {136, size - 136}), "", {39, 1, 0, 2, 2}},
        {"empty entry at offset 0", withEntry(sample(), 37, {0, 0}), "", {39, 1, 0, 2, 2}},
        {"past the end", withEntry(sample(), 8, {136, size - 135}), warning + "8'.\n", {8, 1, 0, 0, 0}},
        {"offset wraps", withEntry(sample(), 4, {2, 0xFFFFFFFFu}), warning + "4'.\n", {4, 0, 0, 0, 0}},
    };
    for (const auto& [what, bytes, err, expected] : cases) {
        SCOPED_TRACE(what);
        const Loaded loaded = loadBytes(bytes);
        EXPECT_EQ(loaded.err, err);
        EXPECT_EQ(loaded.level->loaded(), err.rfind("ERROR", 0) != 0);
        EXPECT_EQ(counts(*loaded.level), expected);
    }
}

TEST(LevelReader, TellsItsVersionAndWhichLumpsItsLayoutDecodes) {
    const Loaded four = loadBytes(sample().bytes());
    EXPECT_EQ(four.level->version(), 4u);
    for (const std::uint32_t lump : {0u, 4u, 7u, 8u, 9u, 37u}) EXPECT_TRUE(four.level->decodes(lump)) << lump;
    for (const std::uint32_t lump : {1u, 5u, 38u}) EXPECT_FALSE(four.level->decodes(lump)) << lump;
    const Loaded fiftyNine = loadBytes(sample(59, 40).bytes());
    EXPECT_EQ(fiftyNine.level->version(), 59u);
    EXPECT_FALSE(fiftyNine.level->decodes(0));
}

TEST(LumpDecoding, ReadsFieldsInFileOrderAndDropsAnIncompleteLastRecord) {
    // x 1, y -2, z 0.5, the normal (0, -1, 2), the colour 0x10 0x20 0x30, at byte 27 the alpha, then
    // the texture coordinates (0.25, -3) and the lightmap's (1, 0.5).
    Qor::Bytes vertex = padded({0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0x80, 0xBF,
                                0, 0, 0, 0x40, 0x10, 0x20, 0x30, 0x42, 0, 0, 0x80, 0x3E, 0, 0, 0x40, 0xC0,
                                0, 0, 0x80, 0x3F, 0, 0, 0, 0x3F},
                               68);
    // Planes are four floats, any bit pattern kept: negative zero, NaNs with
    // their payload, infinities, denormals.
    const std::vector<std::array<std::uint32_t, 4>> planes = {
        {0x00000000, 0x80000000, 0x3F800000, 0x44000000},  // 0 -0 1 512
        {0x7F800000, 0xFF800000, 0x7FC12345, 0xFFFFFFFF},  // inf -inf and two NaNs
        {0x00000001, 0x807FFFFF, 0x7F7FFFFF, 0x12345678},  // denormals, the largest float
    };
    Qor::Bytes plane;
    for (const auto& record : planes)
        for (const std::uint32_t bits : record) Qor::appendU32(plane, bits);
    const Qor::Bytes group{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const Qor::Bytes triangle{0xFF, 0xFF, 0x00, 0x80, 0x01, 0x02};
    // Whole records and all but one byte of another; the one-byte lump 1 puts every record at an odd offset.
    const auto lump = [](const Qor::Bytes& records, std::size_t size) {
        return padded(records, records.size() + size - 1);
    };
    Qor::LevelWriter writer;
    writer.lumpBytes = {
        {1, {0x5A}}, {4, lump(plane, 16)}, {7, lump(group, 16)}, {8, lump(vertex, 68)}, {9, lump(triangle, 6)}};
    const Loaded loaded = loadBytes(writer.bytes());
    const Qor::BSP& level = *loaded.level;
    EXPECT_EQ(loaded.err, "");
    ASSERT_EQ(counts(level), (std::vector<std::size_t>{39, 3, 1, 1, 1}));
    // Bits rather than values, so that NaNs compare too.
    static_assert(sizeof(Qor::Plane) == sizeof planes[0]);
    std::vector<std::array<std::uint32_t, 4>> read(level.planes.size());
    std::memcpy(read.data(), level.planes.data(), read.size() * sizeof read[0]);
    EXPECT_EQ(read, planes);
    const Qor::TextureGroup& g = level.textureGroups[0];
    EXPECT_EQ(std::tie(g.texture, g.firstVertex, g.vertexCount, g.indexCount, g.firstIndex),
              std::make_tuple(0x04030201u, 0x08070605u, 0x0A09u, 0x0C0Bu, 0x100F0E0Du));
    const Qor::Vertex& v = level.vertices[0];
    EXPECT_EQ(std::tie(v.x, v.y, v.z, v.alpha), std::make_tuple(1.0f, -2.0f, 0.5f, 0x42));
    EXPECT_EQ(v.normal, (std::array<float, 3>{0.0f, -1.0f, 2.0f}));
    EXPECT_EQ(v.colour, (std::array<std::uint8_t, 3>{0x10, 0x20, 0x30}));
    EXPECT_EQ(v.texture, (std::array<float, 2>{0.25f, -3.0f}));
    EXPECT_EQ(v.lightmap, (std::array<float, 2>{1.0f, 0.5f}));
    EXPECT_EQ(level.triangles[0].corners, (std::array<std::uint32_t, 3>{65535, 32768, 0x0201}));
    // Iteration and at() reach the same records, and at() stops at the last whole one.
    EXPECT_EQ(std::distance(level.vertices.begin(), level.vertices.end()), 1);
    EXPECT_EQ((*level.vertices.begin()).colour, level.vertices.at(0).colour);
    EXPECT_EQ((*level.triangles.begin()).corners, level.triangles.at(0).corners);
    EXPECT_THROW(level.vertices.at(1), std::out_of_range);
    EXPECT_THROW(level.triangles.at(1), std::out_of_range);
}

TEST(LumpDecoding, KeepsMaterialNamesAsTheirBytesUpToTheFirstNul) {
    // The name bytes stored, the name read; then a tail one byte short of a record, which is dropped.
    const std::pair<std::string, std::string> names[] = {
        {"brick\0\0"s, "brick"},
        {std::string(64, 'x'), std::string(64, 'x')},
        {"\xff\xfe\x01" "caf\xc3\xa9\0tail"s, "\xff\xfe\x01" "caf\xc3\xa9"},
    };
    Qor::LevelWriter writer;
    Qor::Bytes& lump = writer.lumpBytes[0];
    std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>> expected, read;
    for (const auto& [stored, name] : names) {
        lump = padded(lump, lump.size() + 64);
        std::copy(stored.begin(), stored.end(), lump.end() - 64);
        Qor::appendU32(lump, 0x80000000u + static_cast<std::uint32_t>(expected.size()));
        Qor::appendU32(lump, 0xFFFFFFFFu);
        expected.emplace_back(name, 0x80000000u + expected.size(), 0xFFFFFFFFu);
    }
    lump.resize(lump.size() + 71, 'y');
    const Loaded loaded = loadBytes(writer.bytes());
    for (const Qor::Material& m : loaded.level->materials) read.emplace_back(m.name, m.surfaceFlags, m.contentFlags);
    ASSERT_EQ(read, expected);
}

TEST(EntityText, KeepsTheBlocksBeforeAFaultAndWarnsWhereItIs) {
    using Pairs = std::vector<std::vector<std::pair<std::string, std::string>>>;
    const Pairs one = {{{"a", "b"}}};
    const auto fault = [](int at, int read) {
        return "WARNING: The bsp's entity text is malformed at byte '" + std::to_string(at) + "'; '" +
               std::to_string(read) + "' entities were read.\n";
    };
    const std::tuple<const char*, std::string, Pairs, std::string> cases[] = {
        {"one block", R"({ "classname" "worldspawn" })", {{{"classname", "worldspawn"}}}, ""},
        {"blocks, repeated keys, no spaces", R"({"k" "1" "k" "2"}{"" ""}{})",
         {{{"k", "1"}, {"k", "2"}}, {{"", ""}}, {}}, ""},
        {"backslashes and braces quoted", R"({ "a\" "{b}\\" })", {{{"a\\", "{b}\\\\"}}}, ""},
        {"CR LF and tabs", "\r\n{\r\n\t\"a\"\t\"b\"\r\n}\r\n", one, ""},
        {"NULs end the text", "{ \"a\" \"b\" }\0\0{ junk"s, one, ""},
        {"nothing but space", " \t\r\n", {}, ""},
        {"text outside a block", R"({ "a" "b" } x)", one, fault(12, 1)},
        {"missing close brace", R"({ "a" "b" } { "c" "d" )", one, fault(22, 1)},
        {"nested open brace", R"({ "a" "b" } { "c" "d" { "e" "f" } })", one, fault(22, 1)},
        {"key without value", R"({ "a" "b" } { "c" })", one, fault(18, 1)},
        {"unquoted key", R"({ "a" "b" } { c "d" })", one, fault(14, 1)},
        {"unterminated quote", R"({ "a" "b" } { "c" "d)", one, fault(20, 1)},
        {"quote ended by a NUL", "{ \"a\" \"b\0\" }"s, {}, fault(8, 0)},
    };
    for (const auto& [what, text, entities, err] : cases) {
        SCOPED_TRACE(what);
        Qor::LevelWriter writer;
        writer.lumpBytes = {{37, Qor::Bytes(text.begin(), text.end())}};
        const Loaded loaded = loadBytes(writer.bytes());
        EXPECT_EQ(loaded.err, err);
        Pairs read;
        for (const Qor::Entity& entity : loaded.level->entities) read.push_back(entity.pairs);
        EXPECT_EQ(read, entities);
    }
}

}  // namespace
