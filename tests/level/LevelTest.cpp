#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "GeometryWalk.h"
#include "LevelWriter.h"
#include "Normals.h"
#include "SpawnPoints.h"
#include "TestSupport.h"

namespace {

struct Loaded {
    std::unique_ptr<Qor::BSP> level;
    std::string err;
};

// The lines the level kept, as they were printed.
std::string said(const Qor::BSP& level) {
    std::string text;
    for (const std::string& line : level.messages) text += line + "\n";
    return text;
}

// Every load checks that the level kept exactly what it printed.
Loaded load(const std::string& path) {
    testing::internal::CaptureStderr();
    auto level = std::make_unique<Qor::BSP>("", path.c_str());
    Loaded loaded{std::move(level), testing::internal::GetCapturedStderr()};
    EXPECT_EQ(said(*loaded.level), loaded.err);
    return loaded;
}

Loaded loadBytes(const Qor::Bytes& bytes) { return load(testsupport::writeTemp("fixture.d3dbsp", bytes)); }

// Directory entries, then records of planes, texture groups, vertices and triangles.
std::vector<std::size_t> counts(const Qor::BSP& level) {
    return {level.lumps.size(), level.planes.size(), level.textureGroups.size(), level.vertices.size(),
            level.triangles.size()};
}

// These bytes, then zeros up to the size.
Qor::Bytes padded(Qor::Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

// One plane, two vertices and two triangles, so that a load shows which lumps were decoded.
Qor::LevelWriter sample(std::uint32_t version = 4, std::uint32_t entryCount = 39) {
    const std::map<std::uint32_t, Qor::Bytes> lumps = {
        {4, Qor::encodePlanes({Qor::Plane{1, 2, 3, 4}})},
        {8, Qor::encodeVertices(std::vector<Qor::Vertex>(2))},
        {9, Qor::encodeTriangles(std::vector<Qor::Triangle>(2))}};
    return {version, entryCount, lumps};
}

// The whole literal, NULs inside it included.
template <std::size_t size>
std::string withNuls(const char (&text)[size]) {
    return std::string(text, size - 1);
}

std::array<std::uint32_t, 4> bitsOf(const Qor::Plane& plane) {
    std::array<std::uint32_t, 4> bits{};
    const float values[4] = {plane.a, plane.b, plane.c, plane.d};
    std::memcpy(bits.data(), values, sizeof values);
    return bits;
}

Qor::Bytes withEntry(const Qor::LevelWriter& writer, std::uint32_t lump, Qor::LevelWriter::Entry entry) {
    auto entries = writer.layOut();
    entries[lump] = entry;
    return writer.bytes(entries);
}

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
        {"past the end", withEntry(sample(), 8, {136, size - 135}), warning + "8'.\n", {8, 1, 0, 0, 0}},
        {"offset wraps", withEntry(sample(), 4, {2, 0xFFFFFFFFu}), warning + "4'.\n", {4, 0, 0, 0, 0}},
    };
    for (const auto& [what, bytes, err, expected] : cases) {
        SCOPED_TRACE(what);
        const Loaded loaded = loadBytes(bytes);
        EXPECT_EQ(loaded.err, err);
        EXPECT_EQ(loaded.level->buffer.data == nullptr, err.rfind("ERROR", 0) == 0);
        EXPECT_EQ(counts(*loaded.level), expected);
    }
}

TEST(LevelReader, PassesOverEmptyLumps) {
    // Lump 37 has a loader: dispatched, its empty entry would move the cursor to the file's start.
    const Loaded loaded = loadBytes(withEntry(sample(), 37, {0, 0}));
    EXPECT_EQ(loaded.level->cursor, loaded.level->buffer.data + sample().layOut()[9].offset + 12);
}

TEST(LumpDecoding, ReadsFieldsInFileOrderAndDropsAnIncompleteLastRecord) {
    // x 1, y -2, z 0.5, the normal (0, -1, 2), the colour 0x10 0x20 0x30 and, at byte 27, the alpha.
    Qor::Bytes vertex = padded({0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0x80, 0xBF,
                                0, 0, 0, 0x40, 0x10, 0x20, 0x30, 0x42},
                               68);
    const Qor::Bytes plane{0, 0, 0x80, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0x78, 0x56, 0x34, 0x12};
    const Qor::Bytes group{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const Qor::Bytes triangle{0xFF, 0xFF, 0x00, 0x80, 0x01, 0x02};
    // One record and all but one byte of another; the one-byte lump 1 puts every record at an odd offset.
    const auto lump = [](const Qor::Bytes& record) { return padded(record, 2 * record.size() - 1); };
    Qor::LevelWriter writer;
    writer.lumpBytes = {
        {1, {0x5A}}, {4, lump(plane)}, {7, lump(group)}, {8, lump(vertex)}, {9, lump(triangle)}};
    const Loaded loaded = loadBytes(writer.bytes());
    const Qor::BSP& level = *loaded.level;
    EXPECT_EQ(loaded.err, "");
    ASSERT_EQ(counts(level), (std::vector<std::size_t>{39, 1, 1, 1, 1}));
    EXPECT_EQ(bitsOf(level.planes[0]), (std::array<std::uint32_t, 4>{0x3F800000, 0xFFFFFFFF, 0x80000000, 0x12345678}));
    EXPECT_EQ(level.planes[0].a, 1.0f);
    const Qor::TextureGroup& g = level.textureGroups[0];
    EXPECT_EQ(std::tie(g.texture, g.firstVertex, g.vertexCount, g.indexCount, g.firstIndex),
              std::make_tuple(0x04030201u, 0x08070605u, 0x0A09u, 0x0C0Bu, 0x100F0E0Du));
    const Qor::Vertex& v = level.vertices[0];
    EXPECT_EQ(std::tie(v.x, v.y, v.z, v.alpha), std::make_tuple(1.0f, -2.0f, 0.5f, 0x42));
    EXPECT_EQ(v.normal, (std::array<float, 3>{0.0f, -1.0f, 2.0f}));
    EXPECT_EQ(v.colour, (std::array<std::uint8_t, 3>{0x10, 0x20, 0x30}));
    EXPECT_EQ(level.triangles[0].corners, (std::array<std::uint32_t, 3>{65535, 32768, 0x0201}));
}

// Planes are four floats, any bit pattern kept: negative zero, NaNs with
// their payload, infinities, denormals.
TEST(LumpDecoding, ReadsPlanesAsFourFloatsBitForBit) {
    const std::vector<std::array<std::uint32_t, 4>> records = {
        {0x00000000, 0x80000000, 0x3F800000, 0x44000000},  // 0 -0 1 512
        {0x7F800000, 0xFF800000, 0x7FC12345, 0xFFFFFFFF},  // inf -inf and two NaNs
        {0x00000001, 0x807FFFFF, 0x7F7FFFFF, 0x3F3504F3},  // denormals, the largest float, 0.70710677
    };
    Qor::Bytes lump;
    for (const auto& record : records)
        for (const std::uint32_t bits : record) Qor::appendU32(lump, bits);
    Qor::LevelWriter writer;
    writer.lumpBytes = {{4, lump}};
    const Loaded loaded = loadBytes(writer.bytes());
    ASSERT_EQ(loaded.level->planes.size(), records.size());
    for (std::size_t k = 0; k < records.size(); ++k) EXPECT_EQ(bitsOf(loaded.level->planes[k]), records[k]);
    const Qor::Plane& first = loaded.level->planes[0];
    EXPECT_EQ(std::make_tuple(first.a, first.c, first.d), std::make_tuple(0.0f, 1.0f, 512.0f));
    EXPECT_TRUE(std::signbit(first.b));
    EXPECT_EQ(loaded.level->planes[2].a, std::numeric_limits<float>::denorm_min());
}

TEST(LumpDecoding, KeepsMaterialNamesAsTheirBytesUpToTheFirstNul) {
    // The name bytes stored, the name read; then a tail one byte short of a record, which is dropped.
    const std::pair<std::string, std::string> names[] = {
        {withNuls("brick\0\0"), "brick"},
        {std::string(64, 'x'), std::string(64, 'x')},
        {withNuls("\xff\xfe\x01" "caf\xc3\xa9\0tail"), "\xff\xfe\x01" "caf\xc3\xa9"},
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
    EXPECT_EQ(Qor::printableText(loaded.level->materials[2].name), "???caf??");
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
        {"NULs end the text", withNuls("{ \"a\" \"b\" }\0\0{ junk"), one, ""},
        {"nothing but space", " \t\r\n", {}, ""},
        {"text outside a block", R"({ "a" "b" } x)", one, fault(12, 1)},
        {"missing open brace", R"({ "a" "b" } "c" "d" })", one, fault(12, 1)},
        {"missing close brace", R"({ "a" "b" } { "c" "d" )", one, fault(22, 1)},
        {"nested open brace", R"({ "a" "b" } { "c" "d" { "e" "f" } })", one, fault(22, 1)},
        {"key without value", R"({ "a" "b" } { "c" })", one, fault(18, 1)},
        {"unquoted key", R"({ "a" "b" } { c "d" })", one, fault(14, 1)},
        {"unterminated quote", R"({ "a" "b" } { "c" "d)", one, fault(20, 1)},
        {"quote ended by a NUL", withNuls("{ \"a\" \"b\0\" }"), {}, fault(8, 0)},
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

TEST(SpawnPoints, FaceTheWayTheirAngleSaysInTheViewersTerms) {
    using Keys = std::vector<std::pair<std::string, std::string>>;
    const auto spawn = [](const char* classname, const char* origin, Keys more = {}) {
        more.insert(more.begin(), {{"classname", classname}, {"origin", origin}});
        return Qor::Entity{more};
    };
    // Position, yaw, pitch of each entity that is a spawn point; nothing for those that are not.
    const std::pair<Qor::Entity, std::vector<double>> cases[] = {
        {spawn("info_player_start", "1 2 3", {{"angle", "0"}}), {1, 2, 3, 90, 0}},
        {spawn("info_player_deathmatch", " -1.5\t2e3  0 ", {{"angle", "90"}}), {-1.5, 2000, 0, 0, 0}},
        {spawn("team_spawn_red", "0 0 0", {{"angle", "180"}}), {0, 0, 0, 270, 0}},
        {spawn("info_player_x", "0 0 0", {{"angle", "-270"}}), {0, 0, 0, 0, 0}},
        {spawn("info_player_x", "0 0 0", {{"angles", "30 45 0"}}), {0, 0, 0, 45, -30}},
        {spawn("info_player_x", "0 0 0", {{"angles", "350 0 0"}, {"angle", "10"}}), {0, 0, 0, 80, 0}},
        {spawn("info_player_x", "0 0 0", {{"angle", "east"}, {"angles", "-20 60 5"}}), {0, 0, 0, 30, 20}},
        {spawn("info_player_x", "0 0 0", {{"angles", "350 -450 0"}}), {0, 0, 0, 180, 10}},
        {spawn("info_player_x", "7 8 9"), {7, 8, 9, 90, 0}},
        {spawn("light", "0 0 0"), {}},
        {spawn("xinfo_player", "0 0 0"), {}},
        {spawn("info_player_x", "1 2"), {}},
        {spawn("info_player_x", "1 2 3 4"), {}},
        {spawn("info_player_x", "1 2-3"), {}},
        {spawn("info_player_x", "1 2 nan"), {}},
        {Qor::Entity{{{"classname", "info_player_start"}}}, {}},
    };
    Qor::LevelContents contents;
    std::vector<std::vector<double>> expected;
    for (const auto& [entity, point] : cases) {
        contents.entities.push_back(entity);
        if (!point.empty()) expected.push_back(point);
    }
    const Loaded loaded = loadBytes(Qor::writerFor(contents).bytes());
    std::vector<std::vector<double>> found;
    for (const Qor::SpawnPoint& p : Qor::spawnPoints(*loaded.level))
        found.push_back({p.position[0], p.position[1], p.position[2], p.yaw, p.pitch});
    EXPECT_EQ(found, expected);
}

TEST(LevelRoundTrip, ReadsBackEveryFieldTheWriterWrote) {
    std::mt19937 random(20240611);
    const auto draw = [&](std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(0, high)(random);
    };
    // Extremes come often: zero, the top bit alone (negative zero, the lowest int) and all bits set (a NaN).
    const auto value = [&](std::uint32_t largest) {
        const std::uint32_t pick = draw(5);
        return pick == 0 ? 0 : pick == 1 ? largest : pick == 2 ? largest / 2 + 1 : draw(largest);
    };
    const auto u16 = [&] { return value(0xFFFF); };
    const auto u32 = [&] { return value(0xFFFFFFFF); };
    const auto f32 = [&] {
        const std::uint32_t bits = u32();
        float result;
        std::memcpy(&result, &bits, sizeof result);
        return result;
    };
    const auto fill = [&](auto& sequence, auto make) {
        sequence.resize(draw(40));
        for (auto& element : sequence) element = make();
    };
    for (int n = 0; n < 48; ++n) {
        SCOPED_TRACE(testing::Message() << "level " << n);
        Qor::LevelContents written;
        fill(written.planes, [&] { return Qor::Plane{f32(), f32(), f32(), f32()}; });
        fill(written.textureGroups, [&] { return Qor::TextureGroup{u32(), u32(), u16(), u32(), u16()}; });
        const auto u8 = [&] { return std::uint8_t(value(0xFF)); };
        fill(written.vertices,
             [&] { return Qor::Vertex{f32(), f32(), f32(), u8(), {f32(), f32(), f32()}, {u8(), u8(), u8()}}; });
        fill(written.triangles, [&] { return Qor::Triangle{{u16(), u16(), u16()}}; });
        const Qor::Bytes bytes = Qor::writerFor(written).bytes();
        const Loaded loaded = loadBytes(bytes);
        const Qor::BSP& read = *loaded.level;
        EXPECT_EQ(loaded.err, "");
        // Bytes rather than values, so that NaNs compare too.
        EXPECT_EQ(Qor::writerFor({read.planes, read.textureGroups, read.vertices, read.triangles}).bytes(),
                  bytes);
    }
}

TEST(LevelFileAccess, ReadsWhatTheUserMayReadAndReportsTheRest) {
    // The loads run as the unprivileged user 65534 when the tests run as root, so that permissions
    // apply; the per-process temporary directory is private, hence one open to all.
    std::string directory = "/tmp/orvandel-access-XXXXXX";
    ASSERT_NE(mkdtemp(directory.data()), nullptr);
    ASSERT_EQ(chmod(directory.c_str(), 0755), 0);
    const auto at = [&](const std::string& name) { return directory + "/" + name; };
    ASSERT_TRUE(Qor::writeFile(at("read-only"), sample().bytes()) &&
                Qor::writeFile(at("forbidden"), sample().bytes()) &&
                Qor::writeFile(at("huge"), padded({'I', 'B', 'S', 'P', 4}, 9)));
    ASSERT_EQ(chmod(at("read-only").c_str(), 0444) + chmod(at("forbidden").c_str(), 0000) +
                  mkdir(at("directory").c_str(), 0755),
              0);
    // Cut to 32 bits, the size would be 9 and the file would load.
    ASSERT_EQ(truncate(at("huge").c_str(), (1LL << 32) + 9), 0);
    const std::string cannotOpen = "ERROR: Could not open input bsp file '";
    const std::string cannotRead = "ERROR: Could not read bsp file '";
    const std::tuple<std::string, std::string, int> cases[] = {
        {"read-only", "", 2},         {"forbidden", cannotOpen, 0}, {"missing", cannotOpen, 0},
        {"directory", cannotRead, 0}, {"huge", cannotRead, 0},
    };
    for (const auto& [name, message, triangles] : cases) {
        SCOPED_TRACE(name);
        const std::string err = message.empty() ? "" : message + at(name) + "'.\n";
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(101);
            const Loaded loaded = load(at(name));
            const bool told = loaded.err == err && said(*loaded.level) == err;
            _exit(told ? static_cast<int>(loaded.level->triangles.size()) : 100);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), triangles) << "100: other messages, 101: privileges kept";
    }
    std::filesystem::remove_all(directory);
}

TEST(LevelGenerator, WritesADemoShowingEveryKindOfContentAndBenchLevelsOfTheTrianglesAskedFor) {
    const std::string path = testsupport::tempPath("generated.d3dbsp");
    const auto generate = [&](std::vector<std::string> argv) {
        argv.insert(argv.begin(), testsupport::mklevelBinary());
        argv.push_back(path);
        testsupport::runProcess(argv);
        Loaded loaded = load(path);
        EXPECT_EQ(loaded.err, "");
        return loaded;
    };
    const Loaded demo = generate({"demo"});
    std::set<std::uint32_t> colours;
    for (const Qor::TextureGroup& group : demo.level->textureGroups) {
        colours.insert(group.texture % 12);
        EXPECT_LT(group.texture, demo.level->materials.size());
    }
    EXPECT_EQ(colours.size(), 12u);
    EXPECT_EQ(Qor::spawnPoints(*demo.level).size(), 2u);
    // Every plane is a unit normal and a distance, and holds a whole triangle
    // of the level; every triangle lies in some plane (or in two, facing both
    // ways, where walls meet back to back).
    const Qor::BSP& level = *demo.level;
    const auto holds = [](const Qor::Plane& p, const Qor::Vertex& v) {
        return std::fabs(p.a * v.x + p.b * v.y + p.c * v.z - p.d) < 1e-3f;
    };
    std::set<std::size_t> holding;
    std::size_t triangles = 0;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            ++triangles;
            std::size_t inPlanes = 0;
            for (std::size_t k = 0; k < level.planes.size(); ++k)
                if (holds(level.planes[k], a) && holds(level.planes[k], b) && holds(level.planes[k], c)) {
                    holding.insert(k);
                    ++inPlanes;
                }
            EXPECT_GE(inPlanes, 1u) << "triangle " << triangles;
        });
    });
    EXPECT_EQ(triangles, level.triangles.size());
    EXPECT_EQ(holding.size(), level.planes.size());
    for (const Qor::Plane& p : level.planes) EXPECT_NEAR(std::hypot(p.a, p.b, p.c), 1.0f, 1e-6f);
    // Every group's vertices store normals but one's, which store zeros; the
    // baked colours vary as light and shade do.
    std::vector<std::size_t> storing;  // per group: 1 all store normals, 0 all zeros, 2 mixed
    for (const Qor::TextureGroup& group : demo.level->textureGroups) {
        std::set<bool> stored;
        for (std::uint32_t k = 0; k < group.vertexCount; ++k)
            stored.insert(Qor::storedNormal(demo.level->vertices[group.firstVertex + k]).has_value());
        storing.push_back(stored.size() == 1 ? *stored.begin() : 2);
    }
    EXPECT_EQ(std::count(storing.begin(), storing.end(), 1), static_cast<long>(storing.size()) - 1);
    EXPECT_EQ(std::count(storing.begin(), storing.end(), 0), 1);
    std::set<std::array<std::uint8_t, 3>> baked;
    for (const Qor::Vertex& v : demo.level->vertices) baked.insert(v.colour);
    EXPECT_GT(baked.size(), 100u);
    // Three full patches and half a quad of the next group, every vertex with its normal.
    const Loaded bench = generate({"bench", "--triangles", "385"});
    EXPECT_EQ(bench.level->triangles.size(), 385u);
    for (const Qor::Vertex& v : bench.level->vertices) ASSERT_TRUE(Qor::storedNormal(v).has_value());
}

}  // namespace
