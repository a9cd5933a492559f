#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tiny_gltf.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "CommandLine.h"
#include "EntityRules.h"
#include "ExportGeometry.h"
#include "GeometryWalk.h"
#include "Normals.h"
#include "TestSupport.h"

// orvandel --export as a user runs it: each file read back with a reader of
// its own format and held against the level it came from.

namespace {

using namespace testsupport;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::FloatEq;
using ::testing::Pointwise;

const double halfSqrt2 = std::sqrt(0.5);

std::string readAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Leftovers of an export, which a finished one, good or failed, never leaves.
std::vector<std::string> stagingLeftOver() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tempPath("")))
        if (entry.path().filename().string().rfind(".orvandel-export-", 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

ProcessResult exportLevel(const std::string& level, const std::string& out, std::vector<std::string> more = {}) {
    std::vector<std::string> argv = {viewerBinary(), "--export", out, level};
    argv.insert(argv.end(), more.begin(), more.end());
    return runProcess(argv);
}

Qor::Vertex vertex(float x, float y, float z, Qor::Direction normal, Qor::Rgb colour, std::uint8_t alpha) {
    Qor::Vertex v{x, y, z, alpha};
    v.normal = normal;
    v.colour = colour;
    return v;
}

// Three materials (one named in bytes that are not UTF-8), a texture with no
// material, normals stored and not, and entities of every kind the export
// tells apart.
Qor::LevelContents fixture() {
    Qor::LevelContents level;
    level.vertices = {
        vertex(0, 0, 0, {0, 0, 1}, {200, 10, 10}, 255),      vertex(64, 0, 0, {0, 0, 1}, {10, 200, 10}, 128),
        vertex(64, 64, 0, {0, 0, 1}, {10, 10, 200}, 0),      vertex(0, 64, 0, {0, 0, 1}, {1, 2, 3}, 4),
        vertex(0, 0, 0, {}, {255, 255, 255}, 255),           vertex(0, 64, 32, {}, {255, 255, 255}, 255),
        vertex(0, 0, 32, {}, {255, 255, 255}, 255),          vertex(-8.5f, 3.25f, 1e6f, {0, 2, 0}, {7, 8, 9}, 10),
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
        {{{"classname", "worldspawn"}, {"message", "Caf\xe9"}}},
        {{{"classname", "info_player_start"}, {"origin", "10 20 30"}, {"angle", "90"}}},
        {{{"classname", "info_player_deathmatch"}, {"targetname", "second"}, {"origin", "-5 0 8"},
          {"angles", "-30 45 0"}}},
        {{{"classname", "light"}, {"origin", "0 0 64"}, {"target", "a"}, {"light", "300"}, {"target", "b"},
          {"target", "c"}}},
        {{{"classname", "item_health"}, {"origin", "1.5 2 3"}, {"\xff", "v\xfe"}}},
        {{{"classname", "trigger_once"}, {"model", "*1"}}},
        {{{"classname", "info_null"}, {"origin", "1 2"}}},
    };
    return level;
}

tinygltf::Model loadGltf(const std::string& path) {
    tinygltf::TinyGLTF reader;
    tinygltf::Model model;
    std::string error, warning;
    const bool binary = path.substr(path.size() - 4) == ".glb";
    const bool loaded = binary ? reader.LoadBinaryFromFile(&model, &error, &warning, path)
                               : reader.LoadASCIIFromFile(&model, &error, &warning, path);
    EXPECT_TRUE(loaded) << error;
    EXPECT_EQ(warning, "");
    return model;
}

// Element i of an accessor, N components of type T, through its view's stride.
template <typename T, std::size_t N>
std::array<T, N> element(const tinygltf::Model& model, int accessor, std::size_t i) {
    const tinygltf::Accessor& a = model.accessors.at(static_cast<std::size_t>(accessor));
    const tinygltf::BufferView& view = model.bufferViews.at(static_cast<std::size_t>(a.bufferView));
    const std::size_t stride = view.byteStride != 0 ? view.byteStride : sizeof(T) * N;
    const auto& data = model.buffers.at(static_cast<std::size_t>(view.buffer)).data;
    const std::size_t at = view.byteOffset + a.byteOffset + stride * i;
    EXPECT_LE(at + sizeof(T) * N, data.size());
    std::array<T, N> out{};
    if (at + sizeof out <= data.size()) std::memcpy(out.data(), data.data() + at, sizeof out);
    return out;
}

std::uint32_t indexAt(const tinygltf::Model& model, int accessor, std::size_t i) {
    if (model.accessors[static_cast<std::size_t>(accessor)].componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)
        return element<std::uint16_t, 1>(model, accessor, i)[0];
    return element<std::uint32_t, 1>(model, accessor, i)[0];
}

// What a corner should be: the level vertex, the normal the shaded look
// draws it with, and its colour.
struct Corner {
    std::array<float, 3> position;
    Qor::Direction normal;
    std::array<std::uint8_t, 4> colour;
};

// The corners the filled pass draws for each texture, in texture order.
std::vector<std::pair<std::uint32_t, std::vector<Corner>>> drawnCorners(const Qor::BSP& level) {
    std::map<std::uint32_t, std::vector<Corner>> byTexture;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const auto normals = Qor::cornerNormals(a, b, c);
            const Qor::Vertex* corners[3] = {&a, &b, &c};
            for (std::size_t k = 0; k < 3; ++k) {
                const Qor::Vertex& v = *corners[k];
                byTexture[group.texture].push_back(
                    {{v.x, v.y, v.z}, normals[k], {v.colour[0], v.colour[1], v.colour[2], v.alpha}});
            }
        });
    });
    return {byTexture.begin(), byTexture.end()};
}

// The value a rotation (x, y, z, w) turns v to.
std::array<double, 3> rotate(const std::vector<double>& q, const std::array<double, 3>& v) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const std::array<double, 3> t = {2 * (y * v[2] - z * v[1]), 2 * (z * v[0] - x * v[2]), 2 * (x * v[1] - y * v[0])};
    return {v[0] + w * t[0] + (y * t[2] - z * t[1]), v[1] + w * t[1] + (z * t[0] - x * t[2]),
            v[2] + w * t[2] + (x * t[1] - y * t[0])};
}

// Holds a glTF export's geometry against the level's, corner by corner.
void expectGeometryOf(const tinygltf::Model& model, const Qor::BSP& level) {
    const auto drawn = drawnCorners(level);
    ASSERT_EQ(model.meshes.size(), 1u);
    const auto& primitives = model.meshes[0].primitives;
    ASSERT_EQ(primitives.size(), drawn.size());
    for (std::size_t p = 0; p < drawn.size(); ++p) {
        const auto& [texture, corners] = drawn[p];
        const tinygltf::Primitive& primitive = primitives[p];
        SCOPED_TRACE(texture);
        EXPECT_EQ(primitive.mode, TINYGLTF_MODE_TRIANGLES);
        const tinygltf::Material& material = model.materials.at(static_cast<std::size_t>(primitive.material));
        const std::string name =
            texture < level.materials.size() ? validUtf8(level.materials[texture].name) : "texture-" + std::to_string(texture);
        EXPECT_EQ(material.name, name);
        EXPECT_EQ(material.extras.Get("texture").GetNumberAsInt(), static_cast<int>(texture));
        const std::array<double, 3> colour = linearColour(Qor::textureColour(level, texture));
        EXPECT_THAT(material.pbrMetallicRoughness.baseColorFactor,
                    ElementsAre(DoubleNear(colour[0], 1e-12), DoubleNear(colour[1], 1e-12),
                                DoubleNear(colour[2], 1e-12), 1.0));
        EXPECT_EQ(material.pbrMetallicRoughness.metallicFactor, 0.0);
        EXPECT_TRUE(material.doubleSided);

        const int indices = primitive.indices;
        ASSERT_EQ(model.accessors[static_cast<std::size_t>(indices)].count, corners.size());
        const auto& attributes = primitive.attributes;
        EXPECT_TRUE(model.accessors[static_cast<std::size_t>(attributes.at("COLOR_0"))].normalized);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const std::uint32_t v = indexAt(model, indices, k);
            EXPECT_EQ((element<float, 3>(model, attributes.at("POSITION"), v)), corners[k].position) << k;
            EXPECT_EQ((element<float, 3>(model, attributes.at("NORMAL"), v)), corners[k].normal) << k;
            EXPECT_EQ((element<std::uint8_t, 4>(model, attributes.at("COLOR_0"), v)), corners[k].colour) << k;
        }
    }
}

TEST(ExportCommand, WritesABinaryGltfThatReadsBackAsTheLevel) {
    const std::string levelPath = writeLevel("fixture.d3dbsp", fixture());
    const std::string out = tempPath("fixture.glb");
    const ProcessResult run = exportLevel(levelPath, out);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readAll(out).substr(0, 4), "glTF");
    EXPECT_THAT(stagingLeftOver(), ElementsAre());

    const Qor::BSP level("", levelPath.c_str());
    const tinygltf::Model model = loadGltf(out);
    expectGeometryOf(model, level);
    // The floor's four corners are shared by both its triangles; the wall's
    // face normal is the same for its three.
    EXPECT_EQ(model.accessors[static_cast<std::size_t>(model.meshes[0].primitives[1].attributes.at("POSITION"))].count,
              4u);

    EXPECT_EQ(model.asset.version, "2.0");
    EXPECT_EQ(model.asset.generator, "orvandel 0.1.0");
    EXPECT_EQ(model.asset.extras.Get("source").Get<std::string>(), "fixture.d3dbsp");
    for (const auto& [key, count] : {std::pair<const char*, int>{"vertices", 10}, {"triangles", 4},
                                     {"textureGroups", 3}, {"materials", 3}, {"entities", 7}, {"planes", 0}})
        EXPECT_EQ(model.asset.extras.Get(key).GetNumberAsInt(), count) << key;

    // One root, turning z up into y up; the geometry and the placed entities beneath it.
    ASSERT_EQ(model.scenes.size(), 1u);
    EXPECT_EQ(model.defaultScene, 0);
    EXPECT_EQ(model.scenes[0].nodes, std::vector<int>{0});
    const tinygltf::Node& root = model.nodes[0];
    EXPECT_EQ(root.name, "fixture");
    EXPECT_THAT(root.rotation, Pointwise(DoubleNear(1e-15), std::vector<double>{-halfSqrt2, 0, 0, halfSqrt2}));
    EXPECT_TRUE(root.scale.empty());
    EXPECT_THAT(rotate(root.rotation, {0, 0, 1}), Pointwise(DoubleNear(1e-15), std::vector<double>{0, 1, 0}));
    ASSERT_EQ(root.children.size(), 5u);
    const tinygltf::Node& geometry = model.nodes[static_cast<std::size_t>(root.children[0])];
    EXPECT_EQ(std::tie(geometry.name, geometry.mesh), std::make_tuple(std::string("geometry"), 0));
    EXPECT_TRUE(geometry.translation.empty() && geometry.rotation.empty() && geometry.scale.empty());

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
            // The node's +x axis, where an entity with no angle faces, turned to its facing.
            const auto facing = Qor::facingDirection(Qor::entityFacing(source));
            EXPECT_THAT(rotate(node.rotation, {1, 0, 0}), Pointwise(DoubleNear(1e-12), facing));
            EXPECT_THAT(rotate(node.rotation, {0, 0, 1})[2], testing::Gt(0.0)) << "its z axis stays upward";
        } else {
            EXPECT_TRUE(node.rotation.empty());
        }
    }
    // Pairs in extras, a repeated key gathering its values, bytes that are not UTF-8 replaced.
    const tinygltf::Value& light = model.nodes[static_cast<std::size_t>(root.children[3])].extras;
    EXPECT_EQ(light.Keys(), (std::vector<std::string>{"classname", "light", "origin", "target"}));
    ASSERT_TRUE(light.Get("target").IsArray());
    ASSERT_EQ(light.Get("target").ArrayLen(), 3u);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(light.Get("target").Get(k).Get<std::string>(), std::string(1, "abc"[k]));
    const tinygltf::Value& item = model.nodes[static_cast<std::size_t>(root.children[4])].extras;
    EXPECT_EQ(item.Get("\xef\xbf\xbd").Get<std::string>(), "v\xef\xbf\xbd");
    EXPECT_EQ(item.Get("origin").Get<std::string>(), "1.5 2 3");

    // Entities without an origin (or with one that is not three numbers) go to the scene.
    const tinygltf::Value& unplaced = model.scenes[0].extras.Get("entities");
    ASSERT_EQ(unplaced.ArrayLen(), 3u);
    EXPECT_EQ(unplaced.Get(0).Get("message").Get<std::string>(), "Caf\xef\xbf\xbd");
    EXPECT_EQ(unplaced.Get(1).Get("model").Get<std::string>(), "*1");
    EXPECT_EQ(unplaced.Get(2).Get("origin").Get<std::string>(), "1 2");

    // A scale goes on the root; the vertices stay in level units.
    ASSERT_EQ(exportLevel(levelPath, out, {"--export-scale", "0.0254"}).exitStatus, 0);
    const tinygltf::Model scaled = loadGltf(out);
    EXPECT_EQ(scaled.nodes[0].scale, (std::vector<double>{0.0254, 0.0254, 0.0254}));
    expectGeometryOf(scaled, level);
}

TEST(ExportCommand, WritesGltfWithItsBufferInABinFileBesideIt) {
    const std::string levelPath = writeLevel("pair source.d3dbsp", fixture());
    const std::string out = tempPath("my level.gltf");
    const ProcessResult run = exportLevel(levelPath, out);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const tinygltf::Model model = loadGltf(out);
    ASSERT_EQ(model.buffers.size(), 1u);
    EXPECT_EQ(model.buffers[0].uri, "my%20level.bin");
    EXPECT_EQ(readAll(tempPath("my level.bin")).size(), model.buffers[0].data.size());
    expectGeometryOf(model, Qor::BSP("", levelPath.c_str()));

    // The same document as the binary file holds, but for where the buffer lives.
    ASSERT_EQ(exportLevel(levelPath, tempPath("my level.glb")).exitStatus, 0);
    const tinygltf::Model binary = loadGltf(tempPath("my level.glb"));
    EXPECT_EQ(binary.buffers[0].data, model.buffers[0].data);
    EXPECT_EQ(binary.accessors.size(), model.accessors.size());
    EXPECT_EQ(binary.nodes.size(), model.nodes.size());
    EXPECT_THAT(stagingLeftOver(), ElementsAre());
}

// What a Wavefront file holds, as a reader of the format sees it.
struct Obj {
    std::string library;
    std::vector<std::array<float, 6>> positions;  // x y z r g b
    std::vector<std::array<float, 3>> normals;
    std::vector<std::pair<std::string, std::vector<std::array<std::size_t, 2>>>> groups;  // material, v//vn corners
};

Obj readObj(const std::string& path) {
    Obj obj;
    std::istringstream lines(readAll(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "mtllib") {
            words >> obj.library;
        } else if (kind == "v") {
            std::array<float, 6> v{};
            for (float& value : v) words >> value;
            obj.positions.push_back(v);
        } else if (kind == "vn") {
            std::array<float, 3> n{};
            for (float& value : n) words >> value;
            obj.normals.push_back(n);
        } else if (kind == "usemtl") {
            obj.groups.emplace_back();
            words >> obj.groups.back().first;
        } else if (kind == "f") {
            std::string corner;
            while (words >> corner) {
                const auto slashes = corner.find("//");
                obj.groups.back().second.push_back(
                    {std::stoul(corner.substr(0, slashes)), std::stoul(corner.substr(slashes + 2))});
            }
        } else {
            EXPECT_TRUE(kind.empty() || kind == "#" || kind == "g") << line;
        }
        EXPECT_FALSE(words.fail() && !words.eof()) << line;
    }
    return obj;
}

TEST(ExportCommand, WritesObjAndMtlTurnedUprightAndScaled) {
    const std::string levelPath = writeLevel("obj.d3dbsp", fixture());
    const std::string out = tempPath("level.obj");
    const float scale = 2.5f;
    ASSERT_EQ(exportLevel(levelPath, out, {"--export-scale=2.5"}).exitStatus, 0);
    const Qor::BSP level("", levelPath.c_str());
    const auto drawn = drawnCorners(level);
    const Obj obj = readObj(out);
    EXPECT_EQ(obj.library, "level.mtl");
    EXPECT_EQ(obj.positions.size(), obj.normals.size());
    ASSERT_EQ(obj.groups.size(), drawn.size());
    const std::string names[] = {"metal\xef\xbf\xbd", "stone/floor", "texture-9"};
    for (std::size_t p = 0; p < drawn.size(); ++p) {
        const auto& [material, corners] = obj.groups[p];
        EXPECT_EQ(material, names[p]);
        ASSERT_EQ(corners.size(), drawn[p].second.size());
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Corner& expected = drawn[p].second[k];
            ASSERT_EQ(corners[k][0], corners[k][1]) << "a vertex and its normal are numbered alike";
            const auto& v = obj.positions.at(corners[k][0] - 1);
            const auto& n = obj.normals.at(corners[k][1] - 1);
            EXPECT_THAT((std::array<float, 3>{v[0], v[1], v[2]}),
                        Pointwise(FloatEq(), std::array<float, 3>{expected.position[0] * scale, expected.position[2] * scale,
                                                                  -expected.position[1] * scale}));
            EXPECT_THAT(n, Pointwise(FloatEq(), std::array<float, 3>{expected.normal[0], expected.normal[2],
                                                                     -expected.normal[1]}));
            for (std::size_t c = 0; c < 3; ++c) EXPECT_EQ(std::lround(v[3 + c] * 255), expected.colour[c]);
        }
    }

    std::map<std::string, std::array<double, 3>> diffuse;
    std::istringstream mtl(readAll(tempPath("level.mtl")));
    for (std::string line, current; std::getline(mtl, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "newmtl") words >> current;
        if (kind == "Kd") words >> diffuse[current][0] >> diffuse[current][1] >> diffuse[current][2];
    }
    ASSERT_EQ(diffuse.size(), 3u);
    for (std::size_t p = 0; p < drawn.size(); ++p)
        EXPECT_THAT(diffuse[names[p]], Pointwise(DoubleNear(1e-12), linearColour(Qor::textureColour(level, drawn[p].first))));
}

TEST(ExportCommand, WritesAValidEmptySceneForALevelThatDrawsNothing) {
    Qor::LevelContents level;
    level.entities = {{{{"classname", "worldspawn"}}}};
    const std::string levelPath = writeLevel("nothing.d3dbsp", level);
    for (const char* name : {"nothing.glb", "nothing.gltf", "nothing.obj"}) {
        SCOPED_TRACE(name);
        const ProcessResult run = exportLevel(levelPath, tempPath(name));
        EXPECT_EQ(run.exitStatus, 0) << run.err;
    }
    const tinygltf::Model model = loadGltf(tempPath("nothing.glb"));
    EXPECT_TRUE(model.meshes.empty() && model.buffers.empty() && model.accessors.empty());
    EXPECT_EQ(model.nodes.size(), 1u);
    EXPECT_TRUE(model.nodes[0].children.empty());
    EXPECT_FALSE(std::filesystem::exists(tempPath("nothing.bin")));
    EXPECT_EQ(readObj(tempPath("nothing.obj")).positions.size(), 0u);
}

TEST(ExportCommand, LeavesExistingFilesAsTheyWereWhenTheExportFails) {
    const std::string level = tempPath("failing.d3dbsp");
    ASSERT_EQ(runProcess({mklevelBinary(), "bench", "--triangles", "3000", level}).exitStatus, 0);
    const std::string missing = tempPath("missing.d3dbsp");
    std::filesystem::create_directory(tempPath("taken.bin"));
    const std::string self = writeLevel("self.glb", fixture());
    const std::string selfBytes = readAll(self);

    // A file-size limit, as a full disk would, cuts every file short: the
    // program must notice, as no library call tells it.
    const auto limited = [&](const std::string& out) {
        return runProcess({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 16; exec \"$0\" --export \"$1\" \"$2\"",
                           viewerBinary(), out, level});
    };
    struct Case {
        std::string out;
        std::vector<std::string> companions;
        std::function<ProcessResult()> run;
        std::string error;
    };
    const std::string noDirectory = tempPath("no/such/dir/out.glb");
    const Case cases[] = {
        {tempPath("kept.glb"), {}, [&] { return exportLevel(missing, tempPath("kept.glb")); },
         "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {tempPath("cut.glb"), {}, [&] { return limited(tempPath("cut.glb")); },
         "ERROR: Could not write export file '" + tempPath("cut.glb") + "'.\n"},
        {tempPath("cut.gltf"), {tempPath("cut.bin")}, [&] { return limited(tempPath("cut.gltf")); },
         "ERROR: Could not write export file '" + tempPath("cut.gltf") + "'.\n"},
        {tempPath("cut.obj"), {tempPath("cut.mtl")}, [&] { return limited(tempPath("cut.obj")); },
         "ERROR: Could not write export file '" + tempPath("cut.obj") + "'.\n"},
        {tempPath("taken.gltf"), {}, [&] { return exportLevel(level, tempPath("taken.gltf")); },
         "ERROR: Could not write export file '" + tempPath("taken.bin") + "'.\n"},
        {noDirectory, {}, [&] { return exportLevel(level, noDirectory); },
         "ERROR: Could not write export file '" + noDirectory + "'.\n"},
        {self, {}, [&] { return exportLevel(self, self); },
         "ERROR: Could not write export file over the level file '" + self + "'.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        std::vector<std::pair<std::string, std::string>> before;
        for (const std::string& path : c.companions) before.emplace_back(path, writeTemp(path.substr(tempPath("").size()), "old " + path));
        if (c.out != self && c.out != noDirectory) writeTemp(c.out.substr(tempPath("").size()), "old " + c.out);
        const ProcessResult run = c.run();
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, c.error);
        // Compared whole, and not printed: a file written in their place is large.
        if (c.out == self) {
            EXPECT_TRUE(readAll(self) == selfBytes) << "the level was changed";
        } else if (c.out != noDirectory) {
            EXPECT_TRUE(readAll(c.out) == "old " + c.out) << c.out << " was changed";
        }
        for (const auto& [path, unused] : before) EXPECT_TRUE(readAll(path) == "old " + path) << path << " was changed";
        EXPECT_THAT(stagingLeftOver(), ElementsAre());
    }
    // Without the limit the same exports go through.
    for (const char* name : {"cut.glb", "cut.gltf", "cut.obj"}) EXPECT_EQ(exportLevel(level, tempPath(name)).exitStatus, 0);
}

TEST(ExportCommand, TakesItsOptionsAndRefusesMisuse) {
    const auto parse = [](std::vector<const char*> args) {
        args.insert(args.begin(), "orvandel");
        return parseCommandLine(static_cast<int>(args.size()), args.data());
    };
    const std::tuple<std::vector<const char*>, ExportFormat, double> accepted[] = {
        {{"l", "--export", "a.glb"}, ExportFormat::glb, 1.0},
        {{"--export=B.GLTF", "--export-scale", "0.0254", "l"}, ExportFormat::gltf, 0.0254},
        {{"--export-scale=1e3", "--export", "dir.d/c.Obj", "l"}, ExportFormat::obj, 1000.0},
    };
    for (const auto& [args, format, scale] : accepted) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::exportLevel) << line.error;
        EXPECT_EQ(std::tie(line.levelPath, line.exportFormat, line.exportScale), std::tie("l", format, scale));
    }

    const std::pair<std::vector<const char*>, std::string> refused[] = {
        {{"--export", "a.fbx", "l"}, "--export: expected a file name ending in .glb, .gltf or .obj, not 'a.fbx'"},
        {{"--export", "glb", "l"}, "--export: expected a file name ending in .glb, .gltf or .obj, not 'glb'"},
        {{"--export", "a.glb/b", "l"}, "--export: expected a file name ending in .glb, .gltf or .obj, not 'a.glb/b'"},
        {{"--export", "", "l"}, "--export: expected a file name ending in .glb, .gltf or .obj, not ''"},
        {{"--export", "a.glb"}, "option '--export' needs a level file"},
        {{"--export", "a.glb", "--info", "l"}, "options '--export' and '--info' cannot be used together"},
        {{"--export-scale", "2", "l"}, "option '--export-scale' needs '--export'"},
        {{"--export", "a.glb", "--export-scale", "0", "l"}, "--export-scale: expected a positive number, not '0'"},
        {{"--export", "a.glb", "--export-scale=-1", "l"}, "--export-scale: expected a positive number, not '-1'"},
        {{"--export", "a.glb", "--export-scale", "inf", "l"}, "--export-scale: expected a positive number, not 'inf'"},
        {{"--export", "a.glb", "--export-scale", "nan", "l"}, "--export-scale: expected a positive number, not 'nan'"},
        {{"--export", "a.glb", "--export-scale", "1e999", "l"},
         "--export-scale: expected a positive number, not '1e999'"},
        {{"--export", "a.glb", "--export-scale", "2m", "l"}, "--export-scale: expected a positive number, not '2m'"},
    };
    for (const auto& [args, error] : refused) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::usageError) << error;
        EXPECT_EQ(line.error, "orvandel: " + error);
    }

    // As the program says it, with nothing written.
    const std::string out = tempPath("misuse.glb");
    const ProcessResult run = runProcess({viewerBinary(), "--export", out, "--info", "l"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.err, "orvandel: options '--export' and '--info' cannot be used together\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The Khronos validator, installed for the tests by scripts/install-deps.sh.
ProcessResult validate(const std::string& path) {
    return runProcess({"/usr/bin/env", "node", ORVANDEL_GLTF_VALIDATOR, path});
}

TEST(ExportValidator, FindsNoErrorsOrWarningsInTheDemoAGeneratedAndARealSizeLevel) {
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(ORVANDEL_GLTF_VALIDATOR).parent_path() /
                                        "node_modules/gltf-validator"))
        << "the glTF validator is not installed: run scripts/install-deps.sh";
    const std::string demo = tempPath("demo-validated.d3dbsp");
    ASSERT_EQ(runProcess({mklevelBinary(), "demo", demo}).exitStatus, 0);
    const std::string realSize = tempPath("real-size.d3dbsp");
    ASSERT_EQ(runProcess({mklevelBinary(), "bench", "--triangles", "60000", realSize}).exitStatus, 0);
    Qor::LevelContents nothing;
    const std::tuple<std::string, std::string, std::vector<std::string>> cases[] = {
        {demo, "demo.glb", {}},
        {demo, "demo.gltf", {"--export-scale", "0.0254"}},
        {writeLevel("generated.d3dbsp", fixture()), "generated.glb", {}},
        {realSize, "real-size.glb", {}},
        {writeLevel("nothing-validated.d3dbsp", nothing), "nothing-validated.gltf", {}},
    };
    for (const auto& [level, name, options] : cases) {
        SCOPED_TRACE(name);
        const std::string out = tempPath(name);
        ASSERT_EQ(exportLevel(level, out, options).exitStatus, 0);
        const ProcessResult report = validate(out);
        EXPECT_EQ(report.exitStatus, 0) << report.out << report.err;
        EXPECT_THAT(report.out, testing::StartsWith("errors: 0 warnings: 0 "));
    }
}

}  // namespace
