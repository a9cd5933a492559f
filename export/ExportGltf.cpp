#include "ExportGltf.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

#include "EntityRules.h"
#include "ExportFormat.h"
#include "PathParts.h"
#include "TextFormat.h"

namespace {

using Value = tinygltf::Value;

constexpr int arrayBuffer = 34962;
constexpr int elementArrayBuffer = 34963;
constexpr double halfSqrt2 = 0.70710678118654752440;

Value text(std::string_view bytes) { return Value(Qor::validUtf8(bytes)); }

// A count or a 32-bit field as a JSON number: tinygltf's integers are int,
// so a larger value goes as a double, which holds it exactly.
Value number(std::uint64_t value) {
    return value <= static_cast<std::uint64_t>(std::numeric_limits<int>::max()) ? Value(static_cast<int>(value))
                                                                                 : Value(static_cast<double>(value));
}

std::string baseName(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

// Key/value pairs as an object; a key given again gathers its values into an
// array, in file order. Nothing for an entity without pairs: an empty object
// would be written as null.
Value pairsObject(const Qor::Entity& entity) {
    Value::Object object;
    for (const auto& [rawKey, rawValue] : entity.pairs) {
        const std::string key = Qor::validUtf8(rawKey);
        Value value = text(rawValue);
        const auto found = object.find(key);
        if (found == object.end()) {
            object.emplace(key, std::move(value));
        } else if (found->second.IsArray()) {
            Value::Array values = found->second.Get<Value::Array>();
            values.push_back(std::move(value));
            found->second = Value(std::move(values));
        } else {
            found->second = Value(Value::Array{found->second, std::move(value)});
        }
    }
    return object.empty() ? Value() : Value(std::move(object));
}

std::string entityName(const Qor::Entity& entity) {
    const std::string* classname = entity.value("classname");
    const std::string* targetname = entity.value("targetname");
    std::string name = classname != nullptr ? Qor::validUtf8(*classname) : "entity";
    if (targetname != nullptr) name += " (" + Qor::validUtf8(*targetname) + ")";
    return name;
}

tinygltf::Material material(const ExportPrimitive& primitive) {
    tinygltf::Material material;
    material.name = primitive.name;
    if (primitive.image) {
        // The image as it is, as the textured look shows it. Images and
        // textures are numbered alike.
        material.pbrMetallicRoughness.baseColorTexture.index = static_cast<int>(*primitive.image);
    } else {
        const std::array<double, 3> factors = linearColour(primitive.colour);
        material.pbrMetallicRoughness.baseColorFactor = {factors[0], factors[1], factors[2], 1.0};
    }
    // Matte and seen from both sides, as the shaded look draws it.
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.doubleSided = true;
    Value::Object extras{{"texture", number(primitive.texture)}};
    if (primitive.named) {
        extras.emplace("surfaceFlags", number(primitive.surfaceFlags));
        extras.emplace("contentFlags", number(primitive.contentFlags));
    }
    material.extras = Value(std::move(extras));
    return material;
}

int addAccessor(tinygltf::Model& model, int view, std::size_t offset, int componentType, int type, std::size_t count) {
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.byteOffset = offset;
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    model.accessors.push_back(std::move(accessor));
    return static_cast<int>(model.accessors.size()) - 1;
}

int addView(tinygltf::Model& model, std::size_t offset, std::size_t length, int target, std::size_t stride = 0) {
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = offset;
    view.byteLength = length;
    view.byteStride = stride;
    view.target = target;
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size()) - 1;
}

// The rotation of a spawn point's node, as x, y, z, w: it turns the node's
// +x axis, which is where an entity with no angle faces, to the entity's
// facing, keeping its z axis in the upright plane.
std::vector<double> facingRotation(const Qor::Entity& entity) {
    const Qor::Facing facing = Qor::entityFacing(entity);
    // A turn about z from +x (the level's angle 0) after a tilt about y that
    // raises +x toward +z by the pitch.
    const double yaw = (90.0 - facing.yaw) * M_PI / 180.0;
    const double tilt = -facing.pitch * M_PI / 180.0;
    const double sz = std::sin(yaw / 2), cz = std::cos(yaw / 2);
    const double sy = std::sin(tilt / 2), cy = std::cos(tilt / 2);
    return {-sz * sy, cz * sy, sz * cy, cz * cy};
}

// The images, each with a texture of the same number: embedded in the
// buffer after what it holds, or, with file names, beside the document.
void addImages(tinygltf::Model& model, tinygltf::Buffer& buffer, const std::vector<ExportImage>& images,
               const std::vector<std::string>& fileNames) {
    if (images.empty()) return;
    tinygltf::Sampler sampler;
    // Repeating, as the textured look draws coordinates past 0 to 1.
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    model.samplers.push_back(sampler);
    for (std::size_t k = 0; k < images.size(); ++k) {
        tinygltf::Image image;
        image.name = Qor::validUtf8(images[k].name);
        image.mimeType = images[k].mimeType;
        if (fileNames.empty()) {
            buffer.data.resize((buffer.data.size() + 3) / 4 * 4);
            image.bufferView = addView(model, buffer.data.size(), images[k].bytes.size(), 0);
            buffer.data.insert(buffer.data.end(), images[k].bytes.begin(), images[k].bytes.end());
        } else {
            image.uri = uriOfFileName(fileNames[k]);
        }
        model.images.push_back(std::move(image));
        tinygltf::Texture texture;
        texture.sampler = 0;
        texture.source = static_cast<int>(k);
        model.textures.push_back(texture);
    }
}

bool sizeIs(const std::string& path, std::size_t bytes) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && static_cast<std::uint64_t>(info.st_size) == bytes;
}

}  // namespace

tinygltf::Model gltfDocument(const Qor::BSP& level, double scale, const std::string& generator) {
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = generator;
    model.asset.extras = Value(Value::Object{
        {"source", text(level.fileName)},
        {"planes", number(level.planes.size())},
        {"textureGroups", number(level.textureGroups.size())},
        {"vertices", number(level.vertices.size())},
        {"triangles", number(level.triangles.size())},
        {"materials", number(level.materials.size())},
        {"entities", number(level.entities.size())},
    });

    tinygltf::Node root;
    root.name = Qor::validUtf8(baseName(level.fileName));
    root.rotation = {-halfSqrt2, 0.0, 0.0, halfSqrt2};
    if (scale != 1.0) root.scale = {scale, scale, scale};
    model.nodes.push_back(root);

    tinygltf::Scene scene;
    scene.name = root.name;
    scene.nodes = {0};
    Value::Array unplaced;
    for (const Qor::Entity& entity : level.entities) {
        const auto origin = Qor::entityOrigin(entity);
        if (!origin) {
            Value pairs = pairsObject(entity);
            if (pairs.IsObject()) unplaced.push_back(std::move(pairs));
            continue;
        }
        tinygltf::Node node;
        node.name = entityName(entity);
        node.translation = {(*origin)[0], (*origin)[1], (*origin)[2]};
        if (Qor::entityKind(entity) == Qor::EntityKind::spawnPoint) node.rotation = facingRotation(entity);
        node.extras = pairsObject(entity);
        model.nodes[0].children.push_back(static_cast<int>(model.nodes.size()));
        model.nodes.push_back(std::move(node));
    }
    if (!unplaced.empty()) scene.extras = Value(Value::Object{{"entities", Value(std::move(unplaced))}});
    model.scenes.push_back(std::move(scene));
    model.defaultScene = 0;
    return model;
}

void addGltfGeometry(tinygltf::Model& model, ExportGeometry geometry, const std::vector<ExportImage>& images,
                     const std::vector<std::string>& fileNames) {
    if (geometry.primitives.empty()) return;

    const std::size_t vertexBytes = geometry.vertexData.size();
    const std::size_t indexBytes = geometry.indexData.size();
    tinygltf::Buffer buffer;
    buffer.data = std::move(geometry.vertexData);
    buffer.data.insert(buffer.data.end(), geometry.indexData.begin(), geometry.indexData.end());
    std::vector<unsigned char>().swap(geometry.indexData);

    const int vertexView = addView(model, 0, vertexBytes, arrayBuffer, geometry.vertexBytes);
    const int indexView = addView(model, vertexBytes, indexBytes, elementArrayBuffer);
    tinygltf::Mesh mesh;
    mesh.name = model.nodes[0].name;
    const std::size_t count = geometry.primitives.size();
    model.accessors.reserve(4 * count);
    model.materials.reserve(count);
    mesh.primitives.reserve(count);
    for (const ExportPrimitive& primitive : geometry.primitives) {
        const std::size_t first = primitive.firstVertex * geometry.vertexBytes;
        const auto attribute = [&](std::size_t offset, int componentType, int type) {
            return addAccessor(model, vertexView, first + offset, componentType, type, primitive.vertexCount);
        };
        tinygltf::Primitive drawn;
        drawn.mode = TINYGLTF_MODE_TRIANGLES;
        drawn.attributes["POSITION"] =
            attribute(offsetof(ExportVertex, position), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3);
        model.accessors.back().minValues.assign(primitive.low.begin(), primitive.low.end());
        model.accessors.back().maxValues.assign(primitive.high.begin(), primitive.high.end());
        drawn.attributes["NORMAL"] =
            attribute(offsetof(ExportVertex, normal), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3);
        drawn.attributes["COLOR_0"] =
            attribute(offsetof(ExportVertex, colour), TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4);
        model.accessors.back().normalized = true;
        // The level's (0, 0) is its image's top-left, as glTF's is: t as it is.
        if (geometry.textureCoordinates())
            drawn.attributes["TEXCOORD_0"] =
                attribute(offsetof(ExportVertex, texture), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2);
        drawn.indices = addAccessor(model, indexView, primitive.indexOffset,
                                    primitive.shortIndices ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                                           : TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                                    TINYGLTF_TYPE_SCALAR, primitive.indexCount);
        drawn.material = static_cast<int>(model.materials.size());
        model.materials.push_back(material(primitive));
        mesh.primitives.push_back(std::move(drawn));
    }
    addImages(model, buffer, images, fileNames);
    model.buffers.push_back(std::move(buffer));
    model.meshes.push_back(std::move(mesh));

    tinygltf::Node node;
    node.name = "geometry";
    node.mesh = 0;
    model.nodes[0].children.insert(model.nodes[0].children.begin(), static_cast<int>(model.nodes.size()));
    model.nodes.push_back(std::move(node));
}

bool writeGlb(const tinygltf::Model& model, const std::string& path) {
    constexpr std::uint64_t largest = 0xFFFFFFFFu;
    if (!model.buffers.empty() && model.buffers[0].data.size() >= largest) return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&model, file, false, true)) return false;
    const auto length = static_cast<std::uint64_t>(file.tellp());
    file.close();
    return !file.fail() && length <= largest;
}

bool writeGltf(const tinygltf::Model& model, const std::string& gltfPath) {
    tinygltf::TinyGLTF writer;
    // The images beside the document are written by the export, as they are.
    writer.SetImageWriter(nullptr, nullptr);
    if (!writer.WriteGltfSceneToFile(&model, gltfPath, false, false, true, false)) return false;
    // tinygltf does not look at its streams once written, so the files are
    // checked here: the buffer for its length, the document for being whole.
    if (!model.buffers.empty() &&
        !sizeIs(Qor::directoryOf(gltfPath) + model.buffers[0].uri, model.buffers[0].data.size()))
        return false;
    std::ifstream written(gltfPath, std::ios::binary);
    return written && nlohmann::json::accept(written);
}

std::string uriOfFileName(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 15];
        }
    }
    return uri;
}
