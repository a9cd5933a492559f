#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"

namespace {

using namespace testsupport;
using Json = nlohmann::json;
using testing::HasSubstr;
using testing::Not;

// Runs --info --json on the level and parses what it printed; a parse error fails the test.
Json infoJson(const std::string& path, ProcessResult& run) {
    run = runProcess({viewerBinary(), "--info", "--json", path});
    const Json parsed = Json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out;
    EXPECT_THAT(run.out, testing::EndsWith("\n"));
    return parsed;
}

TEST(InfoCommand, PrintsTextAndJsonForALevelThatLoadedWithAWarningAndHasNoMaterialsOrEntities) {
    // Bounds that fewer digits would round; the NaN vertex does not count.
    const std::vector<Qor::Vertex> vertices = {
        {-7.25f, 0.5f, 8.0f, 0}, {1234567.5f, -16777215.0f, -1048575.75f, 0}, {NAN, 1e30f, -1e30f, 0}};
    Qor::Bytes bytes =
        Qor::writerFor({{Qor::Plane{}, Qor::Plane{}}, {Qor::TextureGroup{}}, vertices, {Qor::Triangle{}}})
            .bytes();
    // One byte short, the last lump, the triangles', ends outside the file.
    bytes.pop_back();
    const auto run = runProcess({viewerBinary(), writeTemp("info.d3dbsp", bytes), "--info"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err,
              "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
              "starting from lump '9'.\n");
    EXPECT_EQ(run.out.substr(0, run.out.find("\n\n") + 1),
              "file: info.d3dbsp\nsize: " + std::to_string(bytes.size()) +
                  "\nversion: 4\nlumps: 9\nplanes: 2\ntextureGroups: 1\nvertices: 3\ntriangles: 0\n"
                  "bounds: -7.25 -16777215 -1048575.75 1234567.5 0.5 8\nmaterials: 0\nentities: 0\n");

    ProcessResult jsonRun;
    const Json json = infoJson(tempPath("info.d3dbsp"), jsonRun);
    EXPECT_EQ(jsonRun.exitStatus, 0);
    EXPECT_EQ(json["bounds"], Json::parse("[-7.25, -16777215, -1048575.75, 1234567.5, 0.5, 8]"));
    EXPECT_EQ(json["messages"], Json::array({run.err.substr(0, run.err.size() - 1)}));
    // No materials or entities: lumps 0 and 37 have empty entries, so nothing decodes them.
    EXPECT_EQ(json["lumps"][0], Json::parse(R"({"lump": 0, "offset": 320, "length": 0, "records": null,
                                                "contents": null})"));
    for (const char* key : {"materials", "entities", "spawnPoints"}) EXPECT_EQ(json[key], Json::array()) << key;
}

TEST(InfoCommand, ShowsTheDemosMaterialsEntitiesAndSpawnPoints) {
    const std::string path = generatedLevel({"demo"});
    const auto text = runProcess({viewerBinary(), "--info", path});
    EXPECT_THAT(text.out, HasSubstr("\nbounds: -640 80 -60 640 1640 580\nmaterials: 12\nentities: 7\n\n"));
    EXPECT_THAT(text.out, HasSubstr("         864          12  materials\n"));
    EXPECT_THAT(text.out, HasSubstr("           7  entities\n"));

    ProcessResult run;
    const Json json = infoJson(path, run);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const auto inOrder = nlohmann::ordered_json::parse(run.out, nullptr, false);
    std::vector<std::string> keys;
    for (const auto& item : inOrder.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "size", "version", "lumps", "planes", "textureGroups", "vertices",
                                              "triangles", "bounds", "materials", "entities", "spawnPoints",
                                              "messages"}));
    EXPECT_EQ(json["lumps"][37]["records"], 7);
    EXPECT_EQ(json["materials"][1], Json::parse(R"({"index": 1, "name": "demo/street_tiles_a", "surfaceFlags": 0,
                                                    "contentFlags": 1, "groups": 3, "triangles": 48})"));
    EXPECT_EQ(json["entities"][1],
              Json::parse(R"([["classname", "info_player_start"], ["origin", "0 -40 0"], ["angle", "90"]])"));
    EXPECT_EQ(json["spawnPoints"][0], Json::parse(R"({"position": [0, -40, 0], "yaw": 0, "pitch": 0})"));
}

TEST(InfoCommand, GivesValidJsonForOddNamesBrokenEntitiesAndALevelThatFailed) {
    Qor::LevelContents contents;
    // Material 0 has two groups, one of whose triangles has a corner past the vertices; group 3 names
    // material 1, past the end.
    contents.vertices.resize(3);
    contents.triangles = {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 1, 9}}};
    contents.textureGroups = {Qor::TextureGroup{0, 0, 3, 0, 6}, Qor::TextureGroup{0, 0, 3, 0, 3},
                              Qor::TextureGroup{1, 0, 3, 0, 3}};
    contents.materials = {Qor::Material{"ok\xff\xc3(", 5, 6}};
    Qor::LevelWriter writer = Qor::writerFor(contents);
    const std::string text =
        "{ \"classname\" \"info_player_start\" \"origin\" \"1 2 3\" \"\xe9\" \"\x80\" }\n{ \"x\" }";
    writer.lumpBytes[37] = Qor::Bytes(text.begin(), text.end());
    const std::string warning = "WARNING: The bsp's entity text is malformed at byte '67'; '1' entities were read.";

    ProcessResult run;
    Json json = infoJson(writeTemp("odd.d3dbsp", writer.bytes()), run);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, warning + "\n");
    EXPECT_EQ(json["messages"], Json::array({warning}));
    // Bytes that are not UTF-8 become U+FFFD; only the triangles drawn count.
    EXPECT_EQ(json["materials"], Json::parse(R"([{"index": 0, "name": "ok\ufffd\ufffd(", "surfaceFlags": 5,
                                                  "contentFlags": 6, "groups": 2, "triangles": 2}])"));
    EXPECT_EQ(json["entities"][0][2], Json::parse(R"(["\ufffd", "\ufffd"])"));
    EXPECT_EQ(json["spawnPoints"].size(), 1u);

    const std::string missing = tempPath("missing.d3dbsp");
    json = infoJson(missing, run);
    const std::string error = "ERROR: Could not open input bsp file '" + missing + "'.";
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(json, Json::parse(R"({"file": "missing.d3dbsp", "size": null, "version": null, "lumps": [], "planes": 0,
                                    "textureGroups": 0, "vertices": 0, "triangles": 0, "bounds": null,
                                    "materials": [], "entities": [], "spawnPoints": [], "messages": [")" +
                                error + R"("]})"));
}

TEST(InfoCommand, ExitsOneOnAFailedLoadAndTwoOnMisuseWithNothingOnStdout) {
    const std::string missing = tempPath("missing.d3dbsp");
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{viewerBinary(), "--info", missing}, 1, "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {{viewerBinary(), missing, "--json"}, 2, "orvandel: option '--json' needs '--info'\n"},
    };
    for (const auto& [argv, status, err] : cases) {
        const auto run = runProcess(argv);
        SCOPED_TRACE(err);
        EXPECT_EQ(run.exitStatus, status);
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.out, "");
    }
}

// Images are found by name only: an empty file counts, as the viewer would
// find it before refusing it. Without assets there is no textures line and
// no image field.
TEST(InfoCommand, TellsEachMaterialsImageWhereImagesAreLookedFor) {
    Qor::LevelContents contents;
    contents.materials = {{"textures/base/wall", 0, 1}, {"textures/base/floor", 0, 1}, {"sky", 0, 1}};
    const std::string level = writeLevel("images.d3dbsp", contents);
    const std::string folder = tempPath("info-assets");
    std::filesystem::create_directories(folder + "/textures/base");
    writeTemp("info-assets/textures/base/Wall.TGA", std::string("x"));
    writeTemp("info-assets/textures/sky.jpg", std::string("x"));

    const auto plain = runProcess({viewerBinary(), "--info", level});
    EXPECT_THAT(plain.out, Not(HasSubstr("textures:")));
    ProcessResult run;
    EXPECT_FALSE(infoJson(level, run)["materials"][0].contains("image"));

    const auto text = runProcess({viewerBinary(), "--info", level, "--assets", folder});
    EXPECT_EQ(text.err, "");
    EXPECT_THAT(text.out, HasSubstr("\nmaterials: 3\ntextures: 2 of 3 found\nentities: 0\n"));
    run = runProcess({viewerBinary(), "--info", "--json", level, "--assets", folder});
    const Json json = Json::parse(run.out);
    EXPECT_EQ(json["materials"][0]["image"], Json({{"root", folder}, {"path", "textures/base/Wall.TGA"}}));
    EXPECT_EQ(json["materials"][1]["image"], Json(nullptr));
    EXPECT_EQ(json["materials"][2]["image"], Json({{"root", folder}, {"path", "textures/sky.jpg"}}));
}

}  // namespace
