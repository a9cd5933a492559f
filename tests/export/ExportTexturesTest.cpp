#include <filesystem>
#include <map>
#include <sstream>

#include "AssetFixtures.h"
#include "BSP.h"
#include "ExportGeometry.h"
#include "ExportReading.h"

// --export with the materials' images: the texture coordinates and the images
// read back by a reader of each format, against the crafted level and the
// crafted images they came from.

namespace {

using namespace exporttest;
using namespace testsupport;

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Four materials: one whose image is a TGA (written out as PNG), one a PNG
// and one a JPEG (both carried as they are), and one with no image. Each
// draws one triangle; coordinates past 1 and below 0 are kept, as the
// textured look repeats the image.
Qor::LevelContents texturedLevel() {
    Qor::LevelContents level;
    const std::array<float, 2> st[] = {{0, 0}, {1, 0}, {0, 1}, {0.25f, 0.75f}, {2.5f, -1}, {0.125f, 0.5f}};
    const char* names[] = {"textures/base/wall", "textures/base/floor", "textures/base/sky", "nothing/here"};
    for (std::uint32_t m = 0; m < 4; ++m) {
        for (std::uint32_t k = 0; k < 3; ++k)
            level.vertices.push_back(
                {k == 1 ? 64.0f : 0.0f, k == 2 ? 64.0f : 0.0f, 0, 255, {0, 0, 1}, {255, 255, 255}, st[m == 1 ? 3 + k : k]});
        level.triangles.push_back({{0, 1, 2}});
        level.textureGroups.push_back({m, 3 * m, 3, 3 * m, 3});
        level.materials.push_back({names[m], 0, 0});
    }
    return level;
}

const int side = 4;

// The crafted images, in a folder given by --assets.
struct Assets {
    TempFolder folder;
    Bytes texels = patternTexels(side, side);
    Bytes png = pngOf(side, side, texels);
    Bytes jpeg = jpegOf(side, side, texels);
    Assets() {
        folder.write("textures/base/wall.tga", tgaOf(side, side, texels, true));
        folder.write("textures/base/floor.png", png);
        folder.write("textures/base/sky.jpg", jpeg);
    }
};

// Each material's corners as (x, y, s, t), in the level's units.
using TexturedCorners = std::map<std::string, std::vector<std::array<float, 4>>>;

TexturedCorners levelCorners() {
    const Qor::LevelContents level = texturedLevel();
    TexturedCorners out;
    for (const Qor::TextureGroup& group : level.textureGroups)
        for (std::uint32_t k = 0; k < 3; ++k) {
            const Qor::Vertex& v = level.vertices[group.firstVertex + k];
            out[level.materials[group.texture].name].push_back({v.x, v.y, v.texture[0], v.texture[1]});
        }
    return out;
}

TexturedCorners gltfCorners(const tinygltf::Model& model) {
    TexturedCorners out;
    for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives) {
        auto& corners = out[model.materials.at(static_cast<std::size_t>(primitive.material)).name];
        EXPECT_EQ(primitive.attributes.count("TEXCOORD_0"), 1u);
        for (std::size_t k = 0; k < model.accessors.at(static_cast<std::size_t>(primitive.indices)).count; ++k) {
            const std::uint16_t v = element<std::uint16_t, 1>(model, primitive.indices, k)[0];
            const auto p = element<float, 3>(model, primitive.attributes.at("POSITION"), v);
            const auto st = element<float, 2>(model, primitive.attributes.at("TEXCOORD_0"), v);
            corners.push_back({p[0], p[1], st[0], st[1]});
        }
    }
    return out;
}

// The image a material shows, or null.
const tinygltf::Image* imageOf(const tinygltf::Model& model, const std::string& materialName) {
    for (const tinygltf::Material& material : model.materials) {
        if (material.name != materialName) continue;
        const int texture = material.pbrMetallicRoughness.baseColorTexture.index;
        if (texture < 0) return nullptr;
        EXPECT_EQ(material.pbrMetallicRoughness.baseColorTexture.texCoord, 0);
        // The image as it is: the factor stays white.
        EXPECT_EQ(material.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{1, 1, 1, 1}));
        const int source = model.textures.at(static_cast<std::size_t>(texture)).source;
        return &model.images.at(static_cast<std::size_t>(source));
    }
    ADD_FAILURE() << "no material " << materialName;
    return nullptr;
}

// An image's file as the document holds it: in its buffer, or beside it.
std::string imageBytes(const tinygltf::Model& model, const tinygltf::Image& image, const std::string& folder) {
    if (image.bufferView < 0) {
        // The only byte these names escape is the space.
        std::string name = image.uri;
        for (std::size_t at; (at = name.find("%20")) != std::string::npos;) name.replace(at, 3, " ");
        return readAll(folder + name);
    }
    const tinygltf::BufferView& view = model.bufferViews.at(static_cast<std::size_t>(image.bufferView));
    const auto& data = model.buffers.at(static_cast<std::size_t>(view.buffer)).data;
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset),
                       data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset + view.byteLength));
}

TEST(ExportTextures, GlbEmbedsAndGltfPlacesBesideEachImageWithTheLevelsCoordinatesUnchanged) {
    const Assets assets;
    const std::string levelPath = writeLevel("textured.d3dbsp", texturedLevel());
    std::filesystem::create_directories(tempPath("textured-gltf"));
    for (const std::string name : {"textured.glb", "textured-gltf/my level.gltf"}) {
        SCOPED_TRACE(name);
        const ProcessResult run = exportLevel(levelPath, tempPath(name), {"--assets", assets.folder.path()});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err + run.out, "");
        expectValidGltf(tempPath(name));
        const tinygltf::Model model = loadGltf(tempPath(name));
        // glTF's (0, 0) is the image's top-left, as the level's is: every
        // coordinate goes in as the level holds it, t included.
        EXPECT_EQ(gltfCorners(model), levelCorners());
        const std::string folder = tempPath(name.substr(0, name.find_last_of('/') + 1));

        // The PNG and the JPEG as they were; the TGA as a PNG of its texels.
        const tinygltf::Image* floor = imageOf(model, "textures/base/floor");
        const tinygltf::Image* sky = imageOf(model, "textures/base/sky");
        const tinygltf::Image* wall = imageOf(model, "textures/base/wall");
        ASSERT_TRUE(floor && sky && wall);
        EXPECT_EQ(imageOf(model, "nothing/here"), nullptr);
        EXPECT_EQ(model.images.size(), 3u);
        EXPECT_TRUE(imageBytes(model, *floor, folder) == text(assets.png));
        EXPECT_TRUE(imageBytes(model, *sky, folder) == text(assets.jpeg));
        // Decoded by the reader, rows from the top as the level's t counts them.
        EXPECT_EQ(wall->width, side);
        EXPECT_EQ(wall->height, side);
        EXPECT_TRUE(wall->image == assets.texels);
        // Beside a .gltf, named after it; in a .glb, each with the type its bytes are.
        const bool beside = name.find(".gltf") != std::string::npos;
        for (const auto& [image, uri, type] : {std::tuple{floor, "my%20level-floor.png", "image/png"},
                                               {sky, "my%20level-sky.jpg", "image/jpeg"},
                                               {wall, "my%20level-wall.png", "image/png"}}) {
            EXPECT_EQ(image->uri, beside ? uri : "");
            EXPECT_EQ(image->mimeType, beside ? image->mimeType : type);
        }
    }
}

TEST(ExportTextures, ObjGetsCoordinatesCountedFromTheBottomAndTheMtlNamesTheImagesBesideIt) {
    const Assets assets;
    const std::string levelPath = writeLevel("textured-obj.d3dbsp", texturedLevel());
    std::filesystem::create_directories(tempPath("textured-obj"));
    const ProcessResult run = exportLevel(levelPath, tempPath("textured-obj/level.obj"), {"--assets", assets.folder.path()});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");

    // Each material's corners as (x, y, s, t) with the level's y from OBJ's
    // −z and the level's t from OBJ's 1 − t.
    TexturedCorners corners;
    for (const auto& [material, list] : readObj(tempPath("textured-obj/level.obj")).groups)
        for (const ObjCorner& c : list) corners[material].push_back({c.vertex[0], -c.vertex[2], c.st[0], 1.0f - c.st[1]});
    EXPECT_EQ(corners, levelCorners());

    // The library: each image beside it, white, the material without one in its colour.
    std::map<std::string, std::string> maps;
    std::map<std::string, std::string> diffuse;
    std::istringstream mtl(readAll(tempPath("textured-obj/level.mtl")));
    for (std::string line, name; std::getline(mtl, line);) {
        if (line.rfind("newmtl ", 0) == 0) name = line.substr(7);
        if (line.rfind("map_Kd ", 0) == 0) maps[name] = line.substr(7);
        if (line.rfind("Kd ", 0) == 0) diffuse[name] = line.substr(3);
    }
    EXPECT_EQ(maps, (std::map<std::string, std::string>{{"textures/base/floor", "level-floor.png"},
                                                        {"textures/base/sky", "level-sky.jpg"},
                                                        {"textures/base/wall", "level-wall.png"}}));
    EXPECT_EQ(diffuse["textures/base/wall"], "1 1 1");
    EXPECT_NE(diffuse["nothing/here"], "1 1 1");
    EXPECT_TRUE(readAll(tempPath("textured-obj/level-floor.png")) == text(assets.png));
    EXPECT_TRUE(readAll(tempPath("textured-obj/level-sky.jpg")) == text(assets.jpeg));
    const testsupport::Image wall = testsupport::readPng(tempPath("textured-obj/level-wall.png"));
    EXPECT_EQ(wall.width, unsigned{side});
    EXPECT_TRUE(wall.rgba == assets.texels);
}

TEST(ExportTextures, WithoutAssetsNothingChangesAndARefusedImageLeavesItsMaterialPlainWithAWarning) {
    const std::string levelPath = writeLevel("plain-textured.d3dbsp", texturedLevel());
    ASSERT_EQ(exportLevel(levelPath, tempPath("plain.glb")).exitStatus, 0);
    const tinygltf::Model plain = loadGltf(tempPath("plain.glb"));
    EXPECT_TRUE(plain.images.empty());
    for (const tinygltf::Primitive& primitive : plain.meshes.at(0).primitives)
        EXPECT_EQ(primitive.attributes.count("TEXCOORD_0"), 0u);
    EXPECT_EQ(plain.bufferViews.at(0).byteStride, plainVertexBytes);

    TempFolder folder;
    folder.write("textures/base/floor.png", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3});
    const ProcessResult run = exportLevel(levelPath, tempPath("refused.glb"), {"--assets", folder.path()});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_THAT(run.err, testing::StartsWith("WARNING: Skipped the image '" + folder.path() +
                                             "/textures/base/floor.png': it "));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    const tinygltf::Model refused = loadGltf(tempPath("refused.glb"));
    EXPECT_TRUE(refused.images.empty());
    // Assets were looked in, so every vertex has its coordinates.
    EXPECT_EQ(gltfCorners(refused), levelCorners());
}

}  // namespace
