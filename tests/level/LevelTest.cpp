#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "LevelWriter.h"
#include "TestSupport.h"

namespace {

struct Loaded {
    std::unique_ptr<Qor::BSP> level;
    std::string err;
};

Loaded load(const std::string& path) {
    testing::internal::CaptureStderr();
    auto level = std::make_unique<Qor::BSP>("", path.c_str());
    return {std::move(level), testing::internal::GetCapturedStderr()};
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
    // x 1, y -2, z 0.5 and, at byte 27, the alpha.
    Qor::Bytes vertex = padded({0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F}, 68);
    vertex[27] = 0x42;
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
    const Qor::Plane& p = level.planes[0];
    EXPECT_EQ(std::tie(p.a, p.b, p.c, p.d), std::make_tuple(1065353216, -1, INT32_MIN, 0x12345678));
    const Qor::TextureGroup& g = level.textureGroups[0];
    EXPECT_EQ(std::tie(g.texture, g.firstVertex, g.vertexCount, g.indexCount, g.firstIndex),
              std::make_tuple(0x04030201u, 0x08070605u, 0x0A09u, 0x0C0Bu, 0x100F0E0Du));
    const Qor::Vertex& v = level.vertices[0];
    EXPECT_EQ(std::tie(v.x, v.y, v.z, v.alpha), std::make_tuple(1.0f, -2.0f, 0.5f, 0x42));
    EXPECT_EQ(level.triangles[0].corners, (std::array<std::uint32_t, 3>{65535, 32768, 0x0201}));
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
    const auto i32 = [&] { return std::int32_t(u32()); };
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
        fill(written.planes, [&] { return Qor::Plane{i32(), i32(), i32(), i32()}; });
        fill(written.textureGroups, [&] { return Qor::TextureGroup{u32(), u32(), u16(), u32(), u16()}; });
        fill(written.vertices, [&] { return Qor::Vertex{f32(), f32(), f32(), std::uint8_t(value(0xFF))}; });
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
            _exit(loaded.err == err ? static_cast<int>(loaded.level->triangles.size()) : 100);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), triangles) << "100: other messages, 101: privileges kept";
    }
    std::filesystem::remove_all(directory);
}

TEST(LevelGenerator, WritesADemoWithEveryColourAndBenchLevelsOfTheTrianglesAskedFor) {
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
    for (const Qor::TextureGroup& group : demo.level->textureGroups) colours.insert(group.texture % 12);
    EXPECT_EQ(colours.size(), 12u);
    // Three full patches and half a quad of the next group.
    EXPECT_EQ(generate({"bench", "--triangles", "385"}).level->triangles.size(), 385u);
}

}  // namespace
