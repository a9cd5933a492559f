#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <tuple>

#include "BSP.h"
#include "EntityRules.h"
#include "ExportGeometry.h"
#include "ExportReading.h"

// --export as a user runs it: each file is read back with a reader of its
// own format and held against the level it came from.

namespace {

using namespace testsupport;
using ::testing::DoubleNear;
using ::testing::Pointwise;
using namespace exporttest;

// Whether an export left files of its own behind, which a finished one,
// good or failed, never does.
bool stagingLeftOver() {
    for (const auto& entry : std::filesystem::directory_iterator(tempPath("")))
        if (entry.path().filename().string().rfind(".orvandel-export-", 0) == 0) return true;
    return false;
}

// Three materials (one named in bytes that are not UTF-8), a texture with no
// material, normals stored and not, and entities of every kind the export
// tells apart.
Qor::LevelContents fixture() {
    Qor::LevelContents level;
    level.vertices = {
        vertex(0, 0, 0, {0, 0, 1}, {200, 10, 10}, 255),      vertex(64, 0, 0, {0, 0, 1}, {10, 200, 10}, 128),
        vertex(64, 64, 0, {0, 0, 1}, {10, 10, 200}, 0),      vertex(0, 64, 0, {0, 0, 1}, {1, 2, 3}, 4),
        vertex(0, 0, 0),                                     vertex(0, 64, 32),
        vertex(0, 0, 32),                                    vertex(-8.5f, 3.25f, 1e6f, {0, 2, 0}, {7, 8, 9}, 10),
        vertex(-8, 3, 1e6f, {0, 2, 0}, {7, 8, 9}, 10),       vertex(-8, 4, 1e6f, {0, 2, 0}, {7, 8, 9}, 10),
    };
    level.triangles = {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 1, 2}}, {{0, 1, 2}}};
    level.textureGroups = {
        Qor::TextureGroup{2, 0, 4, 0, 6},  // the floor, normals stored
        Qor::TextureGroup{1, 4, 3, 6, 3},  // a wall without normals
        Qor::TextureGroup{9, 7, 3, 9, 3},  // no material 9
    };
    level.materials = {Qor::Material{"unused", 0, 0}, Qor::Material{"metal\xff", 1, 2},
                       Qor::Material{"stone/floor", 3, 4}};
    level.entities = {
        {{{"classname", "worldspawn"}, {"message", "Caf\xe9 \xc3\xa9"}}},
        {{{"classname", "info_player_start"}, {"origin", "10 20 30"}, {"angle", "90"}}},
        {{{"classname", "info_player_deathmatch"}, {"targetname", "second"}, {"origin", "-5 0 8"},
          {"angles", "-30 45 0"}}},
        {{{"classname", "light"}, {"origin", "0 0 64"}, {"target", "a"}, {"light", "300"}, {"target", "b"},
          {"target", "c"}}},
        {{{"classname", "item_health"}, {"origin", "1.5 2 3"}, {"\xff", "v\xc3("}}},
        {{{"classname", "trigger_once"}, {"model", "*1"}}},
        {{{"classname", "info_null"}, {"origin", "1 2"}}},
    };
    return level;
}

// The fixture's textures drawn, as an export names them, with their flags.
const std::map<std::uint32_t, std::tuple<std::string, int, int>> fixtureMaterials = {
    {1, {"metal\xef\xbf\xbd", 1, 2}}, {2, {"stone/floor", 3, 4}}, {9, {"texture-9", 0, 0}}};

// The corners a glTF export's primitives hold, each through its index.
Corners gltfCorners(const tinygltf::Model& model) {
    Corners out;
    for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives) {
        const tinygltf::Material& material = model.materials.at(static_cast<std::size_t>(primitive.material));
        out.emplace_back(material.extras.Get("texture").GetNumberAsInt(), std::vector<Corner>{});
        EXPECT_EQ(primitive.mode, TINYGLTF_MODE_TRIANGLES);
        const bool narrow = model.accessors.at(static_cast<std::size_t>(primitive.indices)).componentType ==
                            TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        for (std::size_t k = 0; k < model.accessors[static_cast<std::size_t>(primitive.indices)].count; ++k) {
            const std::uint32_t v = narrow ? element<std::uint16_t, 1>(model, primitive.indices, k)[0]
                                           : element<std::uint32_t, 1>(model, primitive.indices, k)[0];
            out.back().second.emplace_back(element<float, 3>(model, primitive.attributes.at("POSITION"), v),
                                           element<float, 3>(model, primitive.attributes.at("NORMAL"), v),
                                           element<std::uint8_t, 4>(model, primitive.attributes.at("COLOR_0"), v));
        }
    }
    return out;
}

// Holds a glTF export of the fixture against the level it came from.
void expectFixtureGltf(const tinygltf::Model& model, const Qor::BSP& level, double scale) {
    EXPECT_EQ(gltfCorners(model), drawnCorners(level));
    ASSERT_EQ(model.materials.size(), fixtureMaterials.size());
    for (const tinygltf::Material& material : model.materials) {
        const auto texture = static_cast<std::uint32_t>(material.extras.Get("texture").GetNumberAsInt());
        SCOPED_TRACE(texture);
        const auto& [name, surfaceFlags, contentFlags] = fixtureMaterials.at(texture);
        EXPECT_EQ(material.name, name);
        EXPECT_EQ(material.extras.Get("surfaceFlags").GetNumberAsInt(), surfaceFlags);
        EXPECT_EQ(material.extras.Get("contentFlags").GetNumberAsInt(), contentFlags);
        const std::array<double, 3> colour = linearColour(Qor::textureColour(level, texture));
        EXPECT_THAT(material.pbrMetallicRoughness.baseColorFactor,
                    Pointwise(DoubleNear(1e-12), std::vector<double>{colour[0], colour[1], colour[2], 1.0}));
        EXPECT_EQ(material.pbrMetallicRoughness.metallicFactor, 0.0);
        EXPECT_TRUE(material.doubleSided);
    }
    EXPECT_EQ(model.asset.generator, "orvandel 0.1.0");
    EXPECT_EQ(model.asset.extras.Get("source").Get<std::string>(), "fixture.d3dbsp");
    for (const auto& [key, count] : {std::pair<const char*, int>{"vertices", 10}, {"triangles", 4},
                                     {"textureGroups", 3}, {"materials", 3}, {"entities", 7}, {"planes", 0}})
        EXPECT_EQ(model.asset.extras.Get(key).GetNumberAsInt(), count) << key;

    // One root, turning z up into y up and scaling; the geometry in level
    // units and the placed entities beneath it.
    ASSERT_EQ(model.scenes.size(), 1u);
    EXPECT_EQ(model.scenes[0].nodes, std::vector<int>{0});
    const tinygltf::Node& root = model.nodes[0];
    EXPECT_EQ(root.name, "fixture");
    EXPECT_THAT(root.rotation, Pointwise(DoubleNear(1e-15), std::vector<double>{-std::sqrt(0.5), 0, 0, std::sqrt(0.5)}));
    EXPECT_EQ(root.scale, scale == 1.0 ? std::vector<double>{} : std::vector<double>(3, scale));
    ASSERT_EQ(root.children.size(), 5u);
    EXPECT_EQ(model.nodes[static_cast<std::size_t>(root.children[0])].mesh, 0);
    const std::tuple<const char*, std::size_t, std::vector<double>> placed[] = {
        {"info_player_start", 1, {10, 20, 30}},
        {"info_player_deathmatch (second)", 2, {-5, 0, 8}},
        {"light", 3, {0, 0, 64}},
        {"item_health", 4, {1.5, 2, 3}},
    };
    for (std::size_t k = 0; k < std::size(placed); ++k) {
        const auto& [name, entity, origin] = placed[k];
        const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(root.children[k + 1])];
        SCOPED_TRACE(name);
        EXPECT_EQ(node.name, name);
        EXPECT_EQ(node.translation, origin);
        const Qor::Entity& source = level.entities[entity];
        if (Qor::entityKind(source) == Qor::EntityKind::spawnPoint) {
            // The node's +x axis, where an entity with no angle faces, turned to
            // its facing: the first column of the rotation (x, y, z, w) as a matrix.
            ASSERT_EQ(node.rotation.size(), 4u);
            const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
            EXPECT_THAT((std::array<double, 3>{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)}),
                        Pointwise(DoubleNear(1e-12), Qor::facingDirection(Qor::entityFacing(source))));
            EXPECT_GT(1 - 2 * (x * x + y * y), 0.0) << "its z axis stays upward";
        } else {
            EXPECT_TRUE(node.rotation.empty());
        }
    }
    // Pairs in extras, a repeated key gathering its values, bytes that are not UTF-8 replaced.
    const tinygltf::Value& light = model.nodes[static_cast<std::size_t>(root.children[3])].extras;
    EXPECT_EQ(light.Keys(), (std::vector<std::string>{"classname", "light", "origin", "target"}));
    ASSERT_EQ(light.Get("target").ArrayLen(), 3u);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(light.Get("target").Get(k).Get<std::string>(), std::string(1, "abc"[k]));
    const tinygltf::Value& item = model.nodes[static_cast<std::size_t>(root.children[4])].extras;
    EXPECT_EQ(item.Get("\xef\xbf\xbd").Get<std::string>(), "v\xef\xbf\xbd(");
    EXPECT_EQ(item.Get("origin").Get<std::string>(), "1.5 2 3");
    // Entities without an origin (or with one that is not three numbers) go to the scene.
    const tinygltf::Value& unplaced = model.scenes[0].extras.Get("entities");
    ASSERT_EQ(unplaced.ArrayLen(), 3u);
    EXPECT_EQ(unplaced.Get(0).Get("message").Get<std::string>(), "Caf\xef\xbf\xbd \xc3\xa9");
    EXPECT_EQ(unplaced.Get(1).Get("model").Get<std::string>(), "*1");
    EXPECT_EQ(unplaced.Get(2).Get("origin").Get<std::string>(), "1 2");
}

TEST(ExportCommand, WritesGlbAndGltfWithItsBinThatReadBackAsTheLevelUprightAndScaled) {
    const std::string levelPath = writeLevel("fixture.d3dbsp", fixture());
    const Qor::BSP level("", levelPath.c_str());
    const std::tuple<std::string, std::vector<std::string>, double> cases[] = {
        {"fixture.glb", {}, 1.0},
        {"my level.GLTF", {"--export-scale", "0.0254"}, 0.0254},
    };
    for (const auto& [name, options, scale] : cases) {
        SCOPED_TRACE(name);
        const ProcessResult run = exportLevel(levelPath, tempPath(name), options);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err + run.out, "");
        EXPECT_FALSE(stagingLeftOver());
        expectFixtureGltf(loadGltf(tempPath(name)), level, scale);
        expectValidGltf(tempPath(name));
    }
    // The .gltf's buffer lies beside it, named after it, and holds what the .glb holds.
    const tinygltf::Model gltf = loadGltf(tempPath("my level.GLTF"));
    EXPECT_EQ(gltf.buffers.at(0).uri, "my%20level.bin");
    EXPECT_EQ(readAll(tempPath("my level.bin")).size(), gltf.buffers[0].data.size());
    EXPECT_TRUE(loadGltf(tempPath("fixture.glb")).buffers.at(0).data == gltf.buffers[0].data);
}

TEST(ExportCommand, WritesObjAndMtlTurnedUprightAndScaled) {
    const std::string levelPath = writeLevel("obj.d3dbsp", fixture());
    // The extension in any letter case, after a dot in a directory's name.
    std::filesystem::create_directory(tempPath("out.d"));
    ASSERT_EQ(exportLevel(levelPath, tempPath("out.d/level.Obj"), {"--export-scale=2.5"}).exitStatus, 0);
    const Qor::BSP level("", levelPath.c_str());
    // The drawn corners with z up turned to y up, positions scaled, normals
    // not, and no alpha.
    std::vector<std::pair<std::string, std::vector<Corner>>> expected;
    for (auto [texture, corners] : drawnCorners(level)) {
        for (auto& [p, n, colour] : corners) {
            p = {p[0] * 2.5f, p[2] * 2.5f, -p[1] * 2.5f};
            n = {n[0], n[2], -n[1]};
            colour[3] = 0;
        }
        expected.emplace_back(std::get<0>(fixtureMaterials.at(texture)), corners);
    }
    const Obj obj = readObj(tempPath("out.d/level.Obj"));
    EXPECT_EQ(obj.library, "level.mtl");
    std::vector<std::pair<std::string, std::vector<Corner>>> read;
    for (const auto& [material, corners] : obj.groups) {
        read.emplace_back(material, std::vector<Corner>{});
        for (const ObjCorner& c : corners) {
            std::array<std::uint8_t, 4> colour{};
            for (std::size_t k = 0; k < 3; ++k) colour[k] = static_cast<std::uint8_t>(std::lround(c.vertex[3 + k] * 255));
            read.back().second.emplace_back(std::array<float, 3>{c.vertex[0], c.vertex[1], c.vertex[2]}, c.normal, colour);
        }
    }
    EXPECT_EQ(read, expected);

    std::map<std::string, std::array<double, 3>> diffuse;
    std::istringstream mtl(readAll(tempPath("out.d/level.mtl")));
    for (std::string word, name; mtl >> word;) {
        if (word == "newmtl") mtl >> name;
        if (word == "Kd") mtl >> diffuse[name][0] >> diffuse[name][1] >> diffuse[name][2];
    }
    ASSERT_EQ(diffuse.size(), fixtureMaterials.size());
    for (const auto& [texture, material] : fixtureMaterials)
        EXPECT_THAT(diffuse[std::get<0>(material)],
                    Pointwise(DoubleNear(1e-12), linearColour(Qor::textureColour(level, texture))));
}

TEST(ExportCommand, WritesAnEmptySceneForALevelThatDrawsNothing) {
    const std::string levelPath = writeLevel("nothing.d3dbsp", Qor::LevelContents{});
    for (const char* name : {"nothing.gltf", "nothing.obj"})
        ASSERT_EQ(exportLevel(levelPath, tempPath(name)).exitStatus, 0) << name;
    EXPECT_TRUE(loadGltf(tempPath("nothing.gltf")).meshes.empty());
    expectValidGltf(tempPath("nothing.gltf"));
    EXPECT_TRUE(readObj(tempPath("nothing.obj")).groups.empty());
}

TEST(ExportCommand, LeavesExistingFilesAsTheyWereWhenTheExportFails) {
    const std::string bench = generatedLevel({"bench", "--triangles", "3000"});
    const std::string missing = tempPath("missing.d3dbsp");
    const std::string noDirectory = tempPath("no/such/dir/out.glb");
    const std::string self = writeLevel("self.glb", fixture());
    for (const char* name : {"taken.bin", "taken.obj"}) std::filesystem::create_directory(tempPath(name));
    const auto cannotWrite = [](const std::string& path) { return "ERROR: Could not write export file '" + path + "'.\n"; };
    // The level, the output, whether a file-size limit cuts it short as a
    // full disk would, the files there before, which must stay as they were,
    // and the message.
    const std::tuple<std::string, std::string, bool, std::vector<std::string>, std::string> cases[] = {
        {missing, tempPath("kept.glb"), false, {tempPath("kept.glb")},
         "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {bench, tempPath("cut.glb"), true, {tempPath("cut.glb")}, cannotWrite(tempPath("cut.glb"))},
        {bench, tempPath("cut.gltf"), true, {tempPath("cut.gltf"), tempPath("cut.bin")}, cannotWrite(tempPath("cut.gltf"))},
        {bench, tempPath("cut.obj"), true, {tempPath("cut.obj"), tempPath("cut.mtl")}, cannotWrite(tempPath("cut.obj"))},
        {bench, tempPath("taken.gltf"), false, {tempPath("taken.gltf")}, cannotWrite(tempPath("taken.bin"))},
        {bench, tempPath("taken.obj"), false, {tempPath("taken.mtl")}, cannotWrite(tempPath("taken.obj"))},
        {bench, noDirectory, false, {}, cannotWrite(noDirectory)},
        {self, self, false, {self}, "ERROR: Could not write export file over the level file '" + self + "'.\n"},
    };
    for (const auto& [level, out, limited, kept, error] : cases) {
        SCOPED_TRACE(out);
        std::map<std::string, std::string> before;
        for (const std::string& path : kept) {
            if (!std::filesystem::exists(path)) writeTemp(path.substr(tempPath("").size()), "old " + path);
            before[path] = readAll(path);
        }
        // The limit cuts every file short: the program must notice, as no library call tells it.
        std::vector<std::string> argv = {viewerBinary(), "--export", out, level};
        if (limited) argv.insert(argv.begin(), {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 16; exec \"$@\"", "sh"});
        const ProcessResult run = runProcess(argv);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, error);
        // Compared whole, and not printed: a file written in their place is large.
        for (const auto& [path, bytes] : before) EXPECT_TRUE(readAll(path) == bytes) << path << " was changed";
        EXPECT_FALSE(stagingLeftOver());
    }
    // Without the limit the same exports go through.
    for (const char* name : {"cut.glb", "cut.gltf", "cut.obj"}) EXPECT_EQ(exportLevel(bench, tempPath(name)).exitStatus, 0);
}

// The fixture's, the empty level's and the textured level's exports are
// validated where they are written.
TEST(ExportValidator, FindsNoErrorsOrWarningsInTheDemoAndARealSizeLevel) {
    ASSERT_EQ(exportLevel(generatedLevel({"demo"}), tempPath("demo.gltf"), {"--export-scale", "0.0254"}).exitStatus, 0);
    expectValidGltf(tempPath("demo.gltf"));
    ASSERT_EQ(exportLevel(generatedLevel({"bench", "--triangles", "60000"}), tempPath("real-size.glb")).exitStatus, 0);
    expectValidGltf(tempPath("real-size.glb"));
}

}  // namespace
