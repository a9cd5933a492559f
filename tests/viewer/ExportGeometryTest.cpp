#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "ExportGeometry.h"
#include "GeometryWalk.h"
#include "Normals.h"
#include "TestSupport.h"

// The geometry an export writes, read straight from a level: what is drawn,
// grouped by material, each corner with its normal and colour, and vertices
// shared where they agree.

namespace {

using namespace testsupport;

Qor::Vertex vertex(float x, float y, float z, Qor::Direction normal = {}, Qor::Rgb colour = {255, 255, 255},
                   std::uint8_t alpha = 255) {
    Qor::Vertex v{x, y, z, alpha};
    v.normal = normal;
    v.colour = colour;
    return v;
}

Qor::TextureGroup group(std::uint32_t texture, std::uint32_t firstVertex, std::uint32_t firstIndex,
                        std::uint32_t indexCount) {
    return Qor::TextureGroup{texture, firstVertex, 0, firstIndex, indexCount};
}

// Every corner of a primitive, in order, as the exported vertex it names.
std::vector<ExportVertex> corners(const ExportGeometry& geometry, const ExportPrimitive& primitive) {
    std::vector<ExportVertex> out;
    for (std::size_t k = 0; k < primitive.indexCount; ++k)
        out.push_back(geometry.vertex(primitive.firstVertex + geometry.index(primitive, k)));
    return out;
}

std::array<float, 3> position(const Qor::Vertex& v) { return {v.x, v.y, v.z}; }

TEST(ExportGeometry, HoldsWhatTheFilledPassDrawsOnePrimitivePerTextureInTextureOrder) {
    Qor::LevelContents level;
    for (int k = 0; k < 6; ++k) level.vertices.push_back(vertex(float(k), float(k * k), 1.0f, {0, 0, 1}));
    level.vertices[5].y = NAN;
    level.triangles = {{{0, 1, 2}}, {{1, 2, 3}}, {{0, 2, 4}}, {{0, 1, 5}}, {{0, 1, 9}}, {{2, 3, 4}}};
    level.textureGroups = {
        group(7, 0, 0, 6),    // two triangles
        group(2, 0, 6, 3),    // one
        group(7, 0, 9, 6),    // one with a corner that is not finite, one past the vertices
        group(3, 0, 15, 3),   // the last triangle
        group(5, 0, 1, 3),    // not whole triangles: never drawn
        group(9, 0, 18, 3),   // past the triangles: nothing
        group(2, 2, 15, 3),   // the last triangle again, its corners two further on: past the vertices
    };
    level.materials = {Qor::Material{"zero", 0, 0}, Qor::Material{"one", 0, 0}, Qor::Material{"two", 4, 8},
                       Qor::Material{"bad \xff name", 0, 0}};
    const Qor::BSP loaded("", writeLevel("drawn.d3dbsp", level).c_str());
    const ExportGeometry geometry = exportGeometry(loaded);

    const std::tuple<std::uint32_t, std::string, bool, std::vector<std::array<std::uint32_t, 3>>> expected[] = {
        {2, "two", true, {{0, 2, 4}}},
        {3, "bad \xef\xbf\xbd name", true, {{2, 3, 4}}},
        {7, "texture-7", false, {{0, 1, 2}, {1, 2, 3}}},
    };
    ASSERT_EQ(geometry.primitives.size(), std::size(expected));
    for (std::size_t p = 0; p < geometry.primitives.size(); ++p) {
        const auto& [texture, name, named, triangles] = expected[p];
        const ExportPrimitive& primitive = geometry.primitives[p];
        SCOPED_TRACE(name);
        EXPECT_EQ(std::tie(primitive.texture, primitive.name, primitive.named), std::tie(texture, name, named));
        EXPECT_EQ(primitive.colour, Qor::textureColour(loaded, texture));
        const std::vector<ExportVertex> drawn = corners(geometry, primitive);
        ASSERT_EQ(drawn.size(), 3 * triangles.size());
        for (std::size_t k = 0; k < drawn.size(); ++k)
            EXPECT_EQ(drawn[k].position, position(loaded.vertices[triangles[k / 3][k % 3]]));
    }
    EXPECT_EQ(std::tie(geometry.primitives[0].surfaceFlags, geometry.primitives[0].contentFlags),
              std::make_tuple(4u, 8u));
    // The box round texture 7's positions.
    EXPECT_EQ(geometry.primitives[2].low, (std::array<float, 3>{0, 0, 1}));
    EXPECT_EQ(geometry.primitives[2].high, (std::array<float, 3>{3, 9, 1}));
}

TEST(ExportGeometry, SharesAVertexExactlyWherePositionNormalAndColourAgree) {
    const Qor::Direction up{0, 0, 1};
    struct Case {
        const char* what;
        std::vector<Qor::Vertex> vertices;
        std::vector<Qor::Triangle> triangles;
        std::size_t exported;
    };
    const Case cases[] = {
        {"a quad with stored normals: its diagonal shared",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(1, 1, 0, up), vertex(0, 1, 0, up)},
         {{{0, 1, 2}}, {{0, 2, 3}}},
         4},
        {"a flat quad without normals: both faces face up alike",
         {vertex(0, 0, 0), vertex(2, 0, 0), vertex(2, 2, 0), vertex(0, 2, 0)},
         {{{0, 1, 2}}, {{0, 2, 3}}},
         4},
        {"a ridge without normals: the shared edge once for each face",
         {vertex(0, 0, 0), vertex(1, 0, 1), vertex(1, 1, 1), vertex(2, 0, 0)},
         {{{0, 1, 2}}, {{1, 3, 2}}},
         6},
        {"a ridge whose edge stores a normal: only the corners without one differ",
         {vertex(0, 0, 0), vertex(1, 0, 1, up), vertex(1, 1, 1, up), vertex(2, 0, 0)},
         {{{0, 1, 2}}, {{1, 3, 2}}},
         4},
        {"two level vertices alike in everything: one",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(0, 1, 0, up), vertex(1, 0, 0, up), vertex(1, 1, 0, up)},
         {{{0, 1, 2}}, {{2, 3, 4}}},
         4},
        {"alike but for the colour: two",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(0, 1, 0, up), vertex(1, 0, 0, up, {1, 2, 3}),
          vertex(1, 1, 0, up)},
         {{{0, 1, 2}}, {{2, 3, 4}}},
         5},
        {"alike but for the alpha: two",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(0, 1, 0, up), vertex(1, 0, 0, up, {255, 255, 255}, 7),
          vertex(1, 1, 0, up)},
         {{{0, 1, 2}}, {{2, 3, 4}}},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Qor::LevelContents level;
        level.vertices = c.vertices;
        level.triangles = c.triangles;
        level.textureGroups = {group(0, 0, 0, static_cast<std::uint32_t>(3 * c.triangles.size()))};
        const Qor::BSP loaded("", writeLevel("shared.d3dbsp", level).c_str());
        const ExportGeometry geometry = exportGeometry(loaded);
        ASSERT_EQ(geometry.primitives.size(), 1u);
        EXPECT_EQ(geometry.primitives[0].vertexCount, c.exported);
        EXPECT_EQ(geometry.vertexCount(), c.exported);
        // Each corner still is its level vertex, with the normal the shaded look gives it.
        const std::vector<ExportVertex> drawn = corners(geometry, geometry.primitives[0]);
        for (std::size_t t = 0; t < c.triangles.size(); ++t) {
            const auto& k = c.triangles[t].corners;
            const auto normals = Qor::cornerNormals(c.vertices[k[0]], c.vertices[k[1]], c.vertices[k[2]]);
            for (std::size_t j = 0; j < 3; ++j) {
                EXPECT_EQ(drawn[3 * t + j].position, position(c.vertices[k[j]]));
                EXPECT_EQ(drawn[3 * t + j].normal, normals[j]);
            }
        }
    }
}

TEST(ExportGeometry, NumbersEachPrimitivesVerticesFromItsOwnFirstIn16BitsWhileTheyFit) {
    // 65534 vertices take indices up to 65533; with 65535 the largest would
    // be 65534 and still fit, but glTF keeps 65535 for strips, so 16 bits
    // stop one vertex short of all 65536 values.
    for (const std::uint32_t count : {65534u, 65535u}) {
        SCOPED_TRACE(count);
        Qor::LevelContents level;
        for (std::uint32_t v = 0; v < count; ++v)
            level.vertices.push_back(vertex(float(v % 256), float(v / 256), float(v % 7), {0, 0, 1}));
        for (std::uint32_t t = 0; t < 21845; ++t)
            level.triangles.push_back({{3 * t, 3 * t + 1, std::min(3 * t + 2, count - 1)}});
        // A small primitive first, so the large one's vertices do not start at 0.
        level.vertices.push_back(vertex(9, 9, 9, {0, 0, 1}));
        level.triangles.push_back({{0, 0, 0}});
        level.textureGroups = {group(1, 0, 0, 65535), group(0, count, 65535, 3)};
        const Qor::BSP loaded("", writeLevel("wide.d3dbsp", level).c_str());
        const ExportGeometry geometry = exportGeometry(loaded);
        ASSERT_EQ(geometry.primitives.size(), 2u);
        const ExportPrimitive& large = geometry.primitives[1];
        EXPECT_EQ(large.firstVertex, 1u);
        EXPECT_EQ(large.vertexCount, count);
        EXPECT_EQ(large.shortIndices, count < 65535);
        EXPECT_TRUE(geometry.primitives[0].shortIndices);
        EXPECT_EQ(large.indexOffset % 4, 0u);
        EXPECT_EQ(geometry.index(large, 65534), count - 1);
        EXPECT_EQ(geometry.vertex(large.firstVertex + geometry.index(large, 65534)).position,
                  position(loaded.vertices[count - 1]));
    }
}

TEST(ExportGeometry, BuildsALargeLevelInTwoRunsJoinedInTextureOrder) {
    // Strips of a different length for each texture, so that no two
    // primitives' indices are alike, and enough corners to be split.
    Qor::LevelContents contents;
    for (std::uint32_t texture = 0; texture < 200; ++texture) {
        const std::uint32_t triangles = 300 + 7 * texture;
        contents.textureGroups.push_back(group(texture, static_cast<std::uint32_t>(contents.vertices.size()),
                                               static_cast<std::uint32_t>(3 * contents.triangles.size()), 3 * triangles));
        for (std::uint32_t i = 0; i < triangles + 2; ++i)
            contents.vertices.push_back(vertex(float(texture), float(i), float(i * i % 7), {0, 0, 1}));
        for (std::uint32_t i = 0; i < triangles; ++i) contents.triangles.push_back({{i, i + 1 + i % 2, i + 2 - i % 2}});
    }
    const Qor::BSP level("", writeLevel("large.d3dbsp", contents).c_str());
    const ExportGeometry geometry = exportGeometry(level);

    std::map<std::uint32_t, std::vector<std::array<float, 3>>> drawn;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            for (const Qor::Vertex* v : {&a, &b, &c}) drawn[group.texture].push_back(position(*v));
        });
    });
    ASSERT_EQ(geometry.primitives.size(), drawn.size());
    std::size_t vertices = 0;
    auto texture = drawn.begin();
    for (const ExportPrimitive& primitive : geometry.primitives) {
        SCOPED_TRACE(primitive.texture);
        EXPECT_EQ(primitive.texture, texture->first);
        EXPECT_EQ(primitive.firstVertex, vertices);
        EXPECT_EQ(primitive.indexOffset % 4, 0u);
        const std::vector<ExportVertex> exported = corners(geometry, primitive);
        ASSERT_EQ(exported.size(), texture->second.size());
        for (std::size_t k = 0; k < exported.size(); ++k) ASSERT_EQ(exported[k].position, texture->second[k]) << k;
        vertices += primitive.vertexCount;
        ++texture;
    }
    EXPECT_EQ(geometry.vertexCount(), vertices);
}

TEST(ExportGeometry, ReplacesBytesThatAreNotUtf8AsTheJsonSummaryDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"\xff", "\xef\xbf\xbd"},
        {"a\xc3(b", "a\xef\xbf\xbd(b"},        // a sequence cut short
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // a surrogate
        {std::string("nul\0in", 6), std::string("nul\0in", 6)},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(validUtf8(bytes), text) << bytes;
}

}  // namespace
