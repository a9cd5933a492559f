#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "BSP.h"
#include "ExportGeometry.h"
#include "ExportReading.h"
#include "TestSupport.h"

// The geometry --export writes: what the level draws, grouped by material,
// each corner with its normal and colour, vertices shared where they agree.

namespace {

using namespace testsupport;
using namespace exporttest;

// The corners an export's geometry holds, each through its index.
Corners exportedCorners(const ExportGeometry& geometry) {
    Corners out;
    for (const ExportPrimitive& primitive : geometry.primitives) {
        out.emplace_back(primitive.texture, std::vector<Corner>{});
        for (std::size_t k = 0; k < primitive.indexCount; ++k) {
            const ExportVertex v = geometry.vertex(primitive.firstVertex + geometry.index(primitive, k));
            out.back().second.emplace_back(v.position, v.normal, v.colour);
        }
    }
    return out;
}

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
    const Qor::BSP loaded("", writeLevel("drawn.d3dbsp", level).c_str());
    const auto c = [&](std::uint32_t k) { return Corner{position(loaded.vertices[k]), {0, 0, 1}, {255, 255, 255, 255}}; };
    EXPECT_EQ(exportedCorners(exportGeometry(loaded)),
              (Corners{{2, {c(0), c(2), c(4)}}, {3, {c(2), c(3), c(4)}}, {7, {c(0), c(1), c(2), c(1), c(2), c(3)}}}));
}

TEST(ExportGeometry, SharesAVertexExactlyWherePositionNormalAndColourAgree) {
    const Qor::Direction up{0, 0, 1};
    const std::tuple<const char*, std::vector<Qor::Vertex>, std::vector<Qor::Triangle>, std::size_t> cases[] = {
        {"a flat quad without normals: both faces face up alike",
         {vertex(0, 0, 0), vertex(2, 0, 0), vertex(2, 2, 0), vertex(0, 2, 0)}, {{{0, 1, 2}}, {{0, 2, 3}}}, 4},
        {"a ridge without normals: the shared edge once for each face",
         {vertex(0, 0, 0), vertex(1, 0, 1), vertex(1, 1, 1), vertex(2, 0, 0)}, {{{0, 1, 2}}, {{1, 3, 2}}}, 6},
        {"a ridge whose edge stores a normal: only the corners without one differ",
         {vertex(0, 0, 0), vertex(1, 0, 1, up), vertex(1, 1, 1, up), vertex(2, 0, 0)}, {{{0, 1, 2}}, {{1, 3, 2}}}, 4},
        {"two level vertices alike in everything: one",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(0, 1, 0, up), vertex(1, 0, 0, up), vertex(1, 1, 0, up)},
         {{{0, 1, 2}}, {{2, 3, 4}}}, 4},
        {"alike but for the alpha: two",
         {vertex(0, 0, 0, up), vertex(1, 0, 0, up), vertex(0, 1, 0, up), vertex(1, 0, 0, up, {255, 255, 255}, 7),
          vertex(1, 1, 0, up)},
         {{{0, 1, 2}}, {{2, 3, 4}}}, 5},
    };
    for (const auto& [what, vertices, triangles, shared] : cases) {
        SCOPED_TRACE(what);
        Qor::LevelContents level;
        level.vertices = vertices;
        level.triangles = triangles;
        level.textureGroups = {group(0, 0, 0, 3 * triangles.size())};
        const Qor::BSP loaded("", writeLevel("shared.d3dbsp", level).c_str());
        const ExportGeometry geometry = exportGeometry(loaded);
        EXPECT_EQ(geometry.vertexCount(), shared);
        // Each corner still is its level vertex, with the normal the shaded look gives it.
        EXPECT_EQ(exportedCorners(geometry), drawnCorners(loaded));
    }
}

TEST(ExportGeometry, BuildsALargeLevelInTwoRunsWithIndicesIn16BitsWhileTheyFit) {
    // glTF keeps the index 65535 for restarting strips, so 16 bits number at
    // most 65534 vertices. Texture 1 takes as many as 16 bits allow, or one
    // more, in the most corners a group holds; each other texture a strip of
    // its own length, so that no two primitives' indices are alike, and
    // enough of them to be built in two runs.
    for (const std::uint32_t wide : {65534u, 65535u}) {
        SCOPED_TRACE(wide);
        Qor::LevelContents contents;
        for (std::uint32_t texture = 0; texture < 200; ++texture) {
            const std::uint32_t triangles = texture == 1 ? 21845 : 300 + 7 * texture;
            contents.textureGroups.push_back(group(texture, contents.vertices.size(), 3 * contents.triangles.size(), 3 * triangles));
            for (std::uint32_t i = 0; i < (texture == 1 ? wide : triangles + 2); ++i)
                contents.vertices.push_back(vertex(float(texture), float(i), float(i * i % 7), {0, 0, 1}));
            for (std::uint32_t i = 0; i < triangles; ++i)
                contents.triangles.push_back(texture == 1 ? Qor::Triangle{{3 * i, 3 * i + 1, std::min(3 * i + 2, wide - 1)}}
                                                          : Qor::Triangle{{i, i + 1 + i % 2, i + 2 - i % 2}});
        }
        const Qor::BSP level("", writeLevel("large.d3dbsp", contents).c_str());
        const ExportGeometry geometry = exportGeometry(level);
        ASSERT_EQ(geometry.primitives.size(), 200u);
        EXPECT_EQ(geometry.primitives[1].vertexCount, wide);
        for (const ExportPrimitive& primitive : geometry.primitives) {
            EXPECT_EQ(primitive.shortIndices, primitive.texture != 1 || wide == 65534) << primitive.texture;
            EXPECT_EQ(primitive.indexOffset % 4, 0u) << primitive.texture;
        }
        EXPECT_EQ(exportedCorners(geometry), drawnCorners(level));
    }
}

}  // namespace
