#pragma once

// Reading a glTF export back, as the export tests check it.

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <string>

namespace exporttest {

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

}  // namespace exporttest
