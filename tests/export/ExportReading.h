#pragma once

// What the export tests hold an export against (the corners the filled pass
// draws, and the small builders of their levels), and how they run one and
// read it back: glTF with tinygltf's loader, OBJ as a reader of the format
// sees it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "GeometryWalk.h"
#include "MaterialColours.h"
#include "Normals.h"
#include "TestSupport.h"

namespace exporttest {

inline Qor::Vertex vertex(float x, float y, float z, Qor::Direction normal = {}, Qor::Rgb colour = {255, 255, 255},
                   std::uint8_t alpha = 255) {
    return Qor::Vertex{x, y, z, alpha, normal, colour};
}

inline Qor::TextureGroup group(std::uint32_t texture, std::size_t firstVertex, std::size_t firstIndex, std::size_t indexCount) {
    return Qor::TextureGroup{texture, static_cast<std::uint32_t>(firstVertex), 0, static_cast<std::uint32_t>(firstIndex),
                             static_cast<std::uint32_t>(indexCount)};
}

inline std::array<float, 3> position(const Qor::Vertex& v) { return {v.x, v.y, v.z}; }

// A corner as the shaded look draws it: position, normal, and colour with alpha.
using Corner = std::tuple<std::array<float, 3>, Qor::Direction, std::array<std::uint8_t, 4>>;
// Each texture drawn, in texture order, with its corners three to a triangle.
using Corners = std::vector<std::pair<std::uint32_t, std::vector<Corner>>>;

// The corners the filled pass draws.
inline Corners drawnCorners(const Qor::BSP& level) {
    std::map<std::uint32_t, std::vector<Corner>> byTexture;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const auto normals = Qor::cornerNormals(a, b, c);
            std::size_t k = 0;
            for (const Qor::Vertex* v : {&a, &b, &c})
                byTexture[group.texture].emplace_back(position(*v), normals[k++],
                                                      std::array<std::uint8_t, 4>{v->colour[0], v->colour[1], v->colour[2], v->alpha});
        });
    });
    return {byTexture.begin(), byTexture.end()};
}

// --export as a user runs it, with any further options.
inline testsupport::ProcessResult exportLevel(const std::string& level, const std::string& out,
                                              std::vector<std::string> more = {}) {
    std::vector<std::string> argv = {testsupport::viewerBinary(), "--export", out, level};
    argv.insert(argv.end(), more.begin(), more.end());
    return testsupport::runProcess(argv);
}

inline std::string readAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

inline tinygltf::Model loadGltf(const std::string& path) {
    tinygltf::TinyGLTF reader;
    tinygltf::Model model;
    std::string error, warning;
    const bool loaded = path.substr(path.size() - 4) == ".glb" ? reader.LoadBinaryFromFile(&model, &error, &warning, path)
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

// A corner of an OBJ face: its vertex (x y z r g b), normal and texture
// coordinates, zeros where the face names none.
struct ObjCorner {
    std::array<float, 6> vertex{};
    std::array<float, 3> normal{};
    std::array<float, 2> st{};
};

// An OBJ file's material library, and each material's corners.
struct Obj {
    std::string library;
    std::vector<std::pair<std::string, std::vector<ObjCorner>>> groups;
};

inline Obj readObj(const std::string& path) {
    Obj obj;
    std::vector<std::array<float, 6>> vertices;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> coordinates;
    std::istringstream lines(readAll(path));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        const auto values = [&](auto& list) {
            list.emplace_back();
            for (float& value : list.back()) words >> value;
            EXPECT_TRUE(!words.fail() && (words >> std::ws).eof()) << "not a " << kind << ": " << line;
        };
        if (kind == "mtllib") {
            words >> obj.library;
        } else if (kind == "v") {
            values(vertices);
        } else if (kind == "vn") {
            values(normals);
        } else if (kind == "vt") {
            values(coordinates);
        } else if (kind == "usemtl") {
            obj.groups.emplace_back();
            words >> obj.groups.back().first;
        } else if (kind == "f") {
            // v//n or v/t/n, counted from 1.
            for (std::string corner; words >> corner;) {
                const auto first = corner.find('/'), second = corner.find('/', first + 1);
                ObjCorner c;
                c.vertex = vertices.at(std::stoul(corner.substr(0, first)) - 1);
                if (second > first + 1) c.st = coordinates.at(std::stoul(corner.substr(first + 1, second - first - 1)) - 1);
                c.normal = normals.at(std::stoul(corner.substr(second + 1)) - 1);
                obj.groups.back().second.push_back(c);
            }
        }
    }
    return obj;
}

// The Khronos validator, installed for the tests by scripts/install-deps.sh,
// finds neither errors nor warnings in a glTF export.
inline void expectValidGltf(const std::string& path) {
    const testsupport::ProcessResult report = testsupport::runProcess({"/usr/bin/env", "node", ORVANDEL_GLTF_VALIDATOR, path});
    EXPECT_EQ(report.exitStatus, 0) << report.out << report.err;
    EXPECT_THAT(report.out, testing::StartsWith("errors: 0 warnings: 0 ")) << path;
}

}  // namespace exporttest
