#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "BSP.h"
#include "LevelInfo.h"
#include "TestSupport.h"

// The report as a value: what both printers read.

namespace {

TEST(LevelReport, GathersTheLevelOnceForTheTextAndTheJson) {
    Qor::LevelContents contents;
    contents.vertices = {{0, 0, 0, 255}, {64, 0, 0, 255}, {0, 32, -8, 255}};
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    contents.textureGroups = {Qor::TextureGroup{0, 0, 3, 0, 3}, Qor::TextureGroup{0, 0, 3, 0, 3}};
    contents.materials = {Qor::Material{"stone", 1, 2}};
    contents.entities = {{{{"classname", "info_player_start"}, {"origin", "1 2 3"}}}};
    const Qor::BSP level("", testsupport::writeLevel("report.d3dbsp", contents).c_str());
    const LevelReport report = levelReport(level);

    EXPECT_EQ(report.file, "report.d3dbsp");
    EXPECT_EQ(report.size, level.buffer.size);
    EXPECT_EQ(report.version, 4u);
    EXPECT_EQ(report.triangles, 1u);
    ASSERT_TRUE(report.bounds);
    EXPECT_EQ(report.bounds->low[2], -8.0f);
    ASSERT_EQ(report.directory.size(), level.lumps.size());
    EXPECT_EQ(report.directory[0].contents, "materials");
    EXPECT_EQ(report.directory[0].records, 1u);
    EXPECT_FALSE(report.directory[1].records);
    ASSERT_EQ(report.materials.size(), 1u);
    EXPECT_EQ(report.materials[0].groups, 2u);
    EXPECT_EQ(report.materials[0].triangles, 2u);
    ASSERT_EQ(report.spawnPoints.size(), 1u);
    EXPECT_EQ(report.spawnPoints[0].position[2], 3.0);

    std::ostringstream text;
    printLevelInfo(report, text);
    EXPECT_EQ(text.str().substr(0, text.str().find("\n\n") + 1),
              "file: report.d3dbsp\nsize: " + std::to_string(level.buffer.size) +
                  "\nversion: 4\nlumps: 39\nplanes: 0\ntextureGroups: 2\nvertices: 3\ntriangles: 1\n"
                  "bounds: 0 0 -8 64 32 0\nmaterials: 1\nentities: 1\n");
}

TEST(LevelReport, LeavesTheSizeAndVersionOutForALevelThatFailed) {
    const Qor::BSP level("", testsupport::tempPath("absent.d3dbsp").c_str());
    const LevelReport report = levelReport(level);
    EXPECT_FALSE(report.size);
    EXPECT_FALSE(report.version);
    EXPECT_EQ(report.messages, level.messages);
    std::ostringstream json;
    printLevelJson(report, json);
    EXPECT_NE(json.str().find(R"("size":null,"version":null,"lumps":[])"), std::string::npos) << json.str();
}

}  // namespace
