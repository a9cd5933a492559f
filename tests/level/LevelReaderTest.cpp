#include <gtest/gtest.h>

#include <string>

#include "BSP.h"
#include "LevelWriter.h"

namespace {

TEST(LevelReader, RoundTripsTheFourGeometrySequences) {
    Qor::LevelContents contents;
    contents.planes.push_back(Qor::Plane{1, -2, 3, 64});
    contents.textureGroups.push_back(Qor::TextureGroup{6, 0, 3, 0, 3});
    contents.vertices.push_back(Qor::Vertex{1.5f, -2.0f, 3.25f, 17});
    contents.vertices.push_back(Qor::Vertex{});
    contents.vertices.push_back(Qor::Vertex{});
    contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    const std::string path = testing::TempDir() + "roundtrip.d3dbsp";
    ASSERT_TRUE(Qor::writeFile(path, Qor::writerFor(contents).bytes()));

    const Qor::BSP level("", path.c_str());
    ASSERT_EQ(level.planes.size(), 1u);
    EXPECT_EQ(level.planes[0].b, -2);
    ASSERT_EQ(level.vertices.size(), 3u);
    EXPECT_EQ(level.vertices[0].alpha, 17);
    EXPECT_FLOAT_EQ(level.vertices[0].z, 3.25f);
    ASSERT_EQ(level.textureGroups.size(), 1u);
    EXPECT_EQ(level.textureGroups[0].texture, 6u);
    ASSERT_EQ(level.triangles.size(), 1u);
    EXPECT_EQ(level.triangles[0].corners[2], 2u);
}

}  // namespace
