// The version-46 importer: tiny generated levels converted, then read back
// with the level reader or checked byte by byte; corrupt ones refused with
// their messages.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "BSP.h"
#include "ByteReader.h"
#include "ImportV46.h"
#include "LevelFormat.h"
#include "TestSupport.h"
#include "V46Writer.h"

namespace {

using testsupport::runProcess;
using testsupport::tempPath;
using testsupport::writeTemp;

testv46::Vertex at(float x, float y, float z) {
    testv46::Vertex v;
    v.position = {x, y, z};
    return v;
}

// A level with two shaders and a row of vertices numbered by their x.
testv46::Level withVertices(int count) {
    testv46::Level level;
    level.shaders = {{"textures/base/floor", 0, 1}, {"textures/base/wall", 0, 1}};
    for (int i = 0; i < count; ++i) level.vertices.push_back(at(static_cast<float>(i), 0, 0));
    return level;
}

v46::Conversion converted(const testv46::Level& level) {
    const Qor::Bytes bytes = level.bytes();
    v46::Conversion c = v46::convert(bytes.data(), bytes.size());
    EXPECT_EQ(c.error, "");
    return c;
}

// The converted level as the viewer reads it.
struct ReadBack {
    explicit ReadBack(const v46::Conversion& c, const std::string& name = "read-back.d3dbsp")
        : level("", writeTemp(name, c.level).c_str()) {}
    // The x of corner j of triangle t, through its group, as the viewer finds it.
    float cornerX(const Qor::TextureGroup& g, std::size_t t, std::size_t j) const {
        return level.vertices.at(g.firstVertex + level.triangles.at(g.firstIndex / 3 + t).corners[j]).x;
    }
    Qor::BSP level;
};

TEST(ImportV46, PlanarSurfacesAndMeshesKeepTheirTrianglesAndShader) {
    testv46::Level level = withVertices(7);
    level.indexes = {0, 1, 2, 0, 2, 3, /* mesh: */ 2, 1, 0};
    level.surfaces = {{1, v46::surface::typePlanar, 0, 4, 0, 6, 0, 0},
                      {0, v46::surface::typeTriangleSoup, 4, 3, 6, 3, 0, 0}};
    const v46::Conversion c = converted(level);
    EXPECT_EQ(c.convertedSurfaces, 2u);
    EXPECT_TRUE(c.leftOut.empty());

    EXPECT_EQ((std::array<std::uint64_t, 3>{c.counts.textureGroups, c.counts.triangles, c.counts.vertices}),
              (std::array<std::uint64_t, 3>{2, 3, 7}));

    const ReadBack back(c);
    // Texture, first vertex, vertex count, first index, index count.
    std::vector<std::array<std::uint32_t, 5>> groups;
    for (const Qor::TextureGroup& g : back.level.textureGroups)
        groups.push_back({g.texture, g.firstVertex, g.vertexCount, g.firstIndex, g.indexCount});
    EXPECT_EQ(groups, (std::vector<std::array<std::uint32_t, 5>>{{1, 0, 4, 0, 6}, {0, 4, 3, 6, 3}}));
    ASSERT_EQ(back.level.triangles.size(), 3u);
    EXPECT_EQ(back.cornerX(back.level.textureGroups[0], 1, 2), 3.0f);
    EXPECT_EQ(back.cornerX(back.level.textureGroups[1], 0, 0), 6.0f);
    EXPECT_EQ(back.cornerX(back.level.textureGroups[1], 0, 2), 4.0f);
}

TEST(ImportV46, PatchBecomesItsControlGridTwoTrianglesPerCell) {
    // A 3 × 2 grid after one unrelated vertex: rows 0 1 2 / 3 4 5.
    testv46::Level level = withVertices(7);
    level.surfaces = {{0, v46::surface::typePatch, 1, 6, 0, 0, 3, 2}};
    const v46::Conversion c = converted(level);
    const ReadBack back(c);
    ASSERT_EQ(back.level.textureGroups.size(), 1u);
    const Qor::TextureGroup& g = back.level.textureGroups[0];
    EXPECT_EQ(g.vertexCount, 6u);
    EXPECT_EQ(g.indexCount, 12u);
    std::vector<std::array<std::uint32_t, 3>> corners;
    for (const Qor::Triangle& t : back.level.triangles) corners.push_back(t.corners);
    EXPECT_EQ(corners, (std::vector<std::array<std::uint32_t, 3>>{{0, 3, 1}, {1, 3, 4}, {1, 4, 2}, {2, 4, 5}}));
    EXPECT_EQ(back.cornerX(g, 3, 2), 6.0f);
}

TEST(ImportV46, VertexRecordsPlaceNormalColourTextureAndLightmapCoordinates) {
    testv46::Level level;
    level.shaders = {{"s", 0, 0}};
    const testv46::Vertex v{{1.5f, -2.0f, 3.25f}, {0.25f, -7.5f}, {0.125f, 0.875f}, {0.0f, 0.6f, 0.8f}, {10, 20, 30, 40}};
    level.vertices = {v, v, v};
    level.indexes = {0, 1, 2};
    level.surfaces = {{0, v46::surface::typeTriangleSoup, 0, 3, 0, 3, 0, 0}};
    const v46::Conversion c = converted(level);
    const ReadBack back(c);
    ASSERT_EQ(back.level.vertices.size(), 3u);
    const Qor::Vertex& read = back.level.vertices[2];
    EXPECT_EQ(read.z, 3.25f);
    EXPECT_EQ(read.normal, (std::array<float, 3>{0.0f, 0.6f, 0.8f}));
    EXPECT_EQ(read.colour, (std::array<std::uint8_t, 3>{10, 20, 30}));
    EXPECT_EQ(read.alpha, 40);

    namespace f = Qor::format::vertex;
    const std::uint8_t* record = back.level.buffer.data + back.level.lumps[Qor::format::lumpVertices].offset + f::size;
    EXPECT_EQ(Qor::readF32(record + f::texture), 0.25f);
    EXPECT_EQ(Qor::readF32(record + f::texture + 4), -7.5f);
    EXPECT_EQ(Qor::readF32(record + f::lightmap), 0.125f);
    EXPECT_EQ(Qor::readF32(record + f::lightmap + 4), 0.875f);
    for (std::size_t i = f::lightmap + 8; i < f::size; ++i) EXPECT_EQ(record[i], 0) << "byte " << i;
}

TEST(ImportV46, ShadersPlanesAndEntitiesAreCarriedOver) {
    testv46::Level level;
    level.shaders = {{"textures/gothic/block", 0x10, 0x1}, {std::string(64, 'n'), 0x80000000u, 0x20000000u}};
    level.planes = {{0.0f, 0.0f, 1.0f, 64.0f}, {-1.0f, 0.0f, 0.0f, -128.5f}};
    level.entities = "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"8 16 24\"\n}\n";
    level.entities += '\0';
    const v46::Conversion c = converted(level);
    EXPECT_EQ(c.counts.entityBytes, level.entities.size());

    const ReadBack back(c);
    std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>> written, read;
    for (const testv46::Shader& s : level.shaders) written.emplace_back(s.name, s.surfaceFlags, s.contentFlags);
    for (const Qor::Material& m : back.level.materials) read.emplace_back(m.name, m.surfaceFlags, m.contentFlags);
    EXPECT_EQ(read, written);
    ASSERT_EQ(back.level.planes.size(), 2u);
    EXPECT_EQ(back.level.planes[1].a, -1.0f);
    EXPECT_EQ(back.level.planes[1].d, -128.5f);
    ASSERT_EQ(back.level.entities.size(), 2u);
    ASSERT_NE(back.level.entities[1].value("origin"), nullptr);
    EXPECT_EQ(*back.level.entities[1].value("origin"), "8 16 24");
    EXPECT_TRUE(back.level.messages.empty());
}

// Every triangle of the split groups, as x coordinates, must equal the input's.
void expectSplitKeepsTriangles(const testv46::Level& level, std::size_t groups, const std::string& name) {
    const v46::Conversion c = converted(level);
    EXPECT_EQ(c.splitSurfaces, 1u);
    const ReadBack back(c, name);
    ASSERT_EQ(back.level.textureGroups.size(), groups);
    std::vector<float> xs;
    for (const Qor::TextureGroup& g : back.level.textureGroups) {
        EXPECT_LE(g.vertexCount, 65535u);
        EXPECT_LE(g.indexCount, 65535u);
        EXPECT_EQ(g.indexCount % 3, 0u);
        for (std::size_t t = 0; t < g.indexCount / 3; ++t)
            for (std::size_t j = 0; j < 3; ++j) {
                EXPECT_LT(back.level.triangles[g.firstIndex / 3 + t].corners[j], g.vertexCount);
                xs.push_back(back.cornerX(g, t, j));
            }
    }
    ASSERT_EQ(xs.size(), level.indexes.size());
    for (std::size_t i = 0; i < xs.size(); ++i)
        ASSERT_EQ(xs[i], static_cast<float>(level.indexes[i])) << "corner " << i;
}

TEST(ImportV46, SurfaceWithTooManyVerticesOrCornersIsSplitIntoGroupsThatFit) {
    // 66000 vertices, each used once, then 3 vertices in 21846 triangles.
    testv46::Level many = withVertices(66000);
    for (std::int32_t i = 0; i < 66000; ++i) many.indexes.push_back(i);
    many.surfaces = {{0, v46::surface::typeTriangleSoup, 0, 66000, 0, 66000, 0, 0}};
    expectSplitKeepsTriangles(many, 2, "split-vertices.d3dbsp");
    testv46::Level few = withVertices(3);
    for (int t = 0; t < 21846; ++t) few.indexes.insert(few.indexes.end(), {t % 3, (t + 1) % 3, (t + 2) % 3});
    few.surfaces = {{0, v46::surface::typePlanar, 0, 3, 0, static_cast<std::int32_t>(few.indexes.size()), 0, 0}};
    expectSplitKeepsTriangles(few, 2, "split-corners.d3dbsp");
}

TEST(ImportV46, BadSurfacesAreLeftOutAndCountedByReason) {
    testv46::Level level = withVertices(4);
    level.indexes = {0, 1, 2, 0, 1, 4, 0, -1, 2, 0, 1};
    const auto planar = [](std::int32_t firstIndex, std::int32_t indexCount, std::int32_t shader = 0,
                           std::int32_t type = v46::surface::typePlanar, std::int32_t firstVertex = 0,
                           std::int32_t vertexCount = 4) {
        return testv46::Surface{shader, type, firstVertex, vertexCount, firstIndex, indexCount, 0, 0};
    };
    level.surfaces = {
        planar(0, 3),  // the one that is kept
        planar(0, 3, 0, v46::surface::typeFlare), planar(0, 3, 0, 0), planar(0, 3, 0, 5),
        planar(0, 3, 2), planar(0, 3, -1),  // shaders
        planar(0, 3, 0, v46::surface::typePlanar, 1), planar(0, 3, 0, v46::surface::typePlanar, 0, -4),
        planar(9, 3), planar(-3, 3),  // indexes past the end, before the start
        planar(3, 3), planar(6, 3),   // corner 4 of 4 vertices, corner -1
        planar(9, 2), planar(0, 0),
        {0, v46::surface::typePatch, 0, 4, 0, 0, 3, 2},  // 6 control points, 4 vertices
        {0, v46::surface::typePatch, 0, 4, 0, 0, 1, 4},  // no cells
        {0, v46::surface::typePatch, 0, 4, 0, 0, -2, -2},
        {0, v46::surface::typePatch, 0, 4, 0, 0, 65536, 65536},  // the product passes 32 bits
    };
    const v46::Conversion c = converted(level);
    EXPECT_EQ(c.surfaces, level.surfaces.size());
    EXPECT_EQ(c.convertedSurfaces, 1u);
    EXPECT_EQ(c.counts.triangles, 1u);
    const std::map<std::string, std::size_t> expected{
        {v46::reason::flare, 1},    {v46::reason::unknownType, 2}, {v46::reason::shader, 2},
        {v46::reason::vertices, 2}, {v46::reason::indexes, 2},     {v46::reason::corners, 2},
        {v46::reason::partialTriangle, 1}, {v46::reason::empty, 1}, {v46::reason::patchGrid, 4},
    };
    EXPECT_EQ(c.leftOut, expected);
}

// The program, as the corpus script runs it.
testsupport::ProcessResult importFile(const std::string& in, const std::string& out) {
    return runProcess({testsupport::mklevelBinary(), "import-v46", in, out});
}

TEST(ImportV46Command, PrintsWhatItWroteAndWhatItLeftOut) {
    testv46::Level level = withVertices(3);
    level.indexes = {0, 1, 2};
    level.entities = std::string("{\n\"classname\" \"worldspawn\"\n}\n") + '\0';
    level.planes = {{0, 0, 1, 0}};
    level.surfaces = {{1, v46::surface::typePlanar, 0, 3, 0, 3, 0, 0}, {0, v46::surface::typeFlare, 0, 0, 0, 0, 0, 0},
                      {0, v46::surface::typeFlare, 0, 0, 0, 0, 0, 0}, {0, 9, 0, 0, 0, 0, 0, 0}};
    const std::string out = tempPath("printed.d3dbsp");
    const testsupport::ProcessResult result = importFile(writeTemp("printed.bsp", level.bytes()), out);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err + result.out, "Wrote '" + out + "'.\nmaterials: 2\nplanes: 1\ntextureGroups: 1\nvertices: 3\ntriangles: 1\n"
                          "entityBytes: 30\nsurfaces: 4\nconverted: 1\nsplit: 0\n"
                          "left out, flare: 2\nleft out, unknown surface type: 1\n");
    const Qor::BSP back("", out.c_str());
    EXPECT_EQ(back.triangles.size(), 1u);
    EXPECT_EQ(back.entities.size(), 1u);
}

TEST(ImportV46Command, RefusesCorruptUnreadableAndUnwritableFilesWithOneLineAndWritesNothing) {
    testv46::Level good = withVertices(3);
    good.indexes = {0, 1, 2};
    good.surfaces = {{0, v46::surface::typePlanar, 0, 3, 0, 3, 0, 0}};
    const Qor::Bytes bytes = good.bytes();
    const std::string size = std::to_string(bytes.size());
    // The directory with one entry changed.
    const auto withEntry = [&](std::size_t lump, testv46::Level::Entry entry) {
        std::vector<testv46::Level::Entry> entries = good.layOut();
        entries[lump] = entry;
        return good.bytes(entries);
    };
    const auto vertices = good.layOut()[v46::lumpVertices], surfaces = good.layOut()[v46::lumpSurfaces];
    testv46::Level other = good;
    other.version = 47;
    const std::string notBsp = "ERROR: The file is not a bsp level: it does not begin with 'IBSP'.\n";
    const std::tuple<const char*, Qor::Bytes, std::string> cases[] = {
        {"empty", {}, notBsp},
        {"other-magic", Qor::Bytes{'I', 'B', 'S', 'Q', 46, 0, 0, 0}, notBsp},
        {"short-header", Qor::Bytes(bytes.begin(), bytes.begin() + 100),
         "ERROR: The bsp's header is cut short: it needs '144' bytes, the file holds '100'.\n"},
        {"version", other.bytes(), "ERROR: The bsp's file version is not '46' but '47'.\n"},
        {"truncated", Qor::Bytes(bytes.begin(), bytes.end() - 1),
         "ERROR: The bsp's lump '13' lies outside the file of '" + std::to_string(bytes.size() - 1) +
             "' bytes: offset '" + std::to_string(bytes.size() - 104) + "', length '104'.\n"},
        {"negative-length", withEntry(v46::lumpVertices, {vertices.offset, -44}),
         "ERROR: The bsp's lump '10' lies outside the file of '" + size + "' bytes: offset '" +
             std::to_string(vertices.offset) + "', length '4294967252'.\n"},
        {"huge-offset", withEntry(v46::lumpPlanes, {2147483647, 2147483647}),
         "ERROR: The bsp's lump '2' lies outside the file of '" + size +
             "' bytes: offset '2147483647', length '2147483647'.\n"},
        {"partial-record", withEntry(v46::lumpSurfaces, {surfaces.offset, surfaces.length - 1}),
         "ERROR: The bsp's lump '13' is not a whole number of '104'-byte records: its length is '103'.\n"},
    };
    // Input, output, message.
    const std::string missing = tempPath("missing.bsp"), noFolder = tempPath("no/such/folder/out.d3dbsp");
    std::vector<std::tuple<std::string, std::string, std::string>> runs = {
        {missing, tempPath("unused.d3dbsp"), "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {writeTemp("writable.bsp", withVertices(0).bytes()), noFolder,
         "ERROR: Could not write level file '" + noFolder + "'.\n"}};
    for (const auto& [name, file, message] : cases)
        runs.emplace_back(writeTemp(std::string(name) + ".bsp", file), tempPath(std::string(name) + ".d3dbsp"), message);
    for (const auto& [in, out, message] : runs) {
        SCOPED_TRACE(in);
        const testsupport::ProcessResult result = importFile(in, out);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, message);
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(ImportV46, RefusesALevelWhoseSurfacesWouldOutgrowTheFileFormat) {
    // 512 × 512 control points named by 200 patches: a few megabytes that
    // would convert to some 30 gigabytes.
    testv46::Level level = withVertices(512 * 512);
    level.surfaces.assign(200, {0, v46::surface::typePatch, 0, 512 * 512, 0, 0, 512, 512});
    const Qor::Bytes bytes = level.bytes();
    const v46::Conversion c = v46::convert(bytes.data(), bytes.size());
    EXPECT_THAT(c.error, testing::MatchesRegex("ERROR: The converted level could need more bytes than a level file "
                                               "can address: '[0-9]{11}'\\."));
    EXPECT_TRUE(c.level.empty());
}

}  // namespace
