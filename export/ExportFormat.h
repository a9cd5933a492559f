#pragma once

// The files --export writes, chosen by the extension of the path it is given.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

enum class ExportFormat {
    glb,   // binary glTF 2.0: one file
    gltf,  // glTF 2.0 JSON, its binary data in NAME.bin beside it
    obj,   // Wavefront OBJ, its materials in NAME.mtl beside it
};

// The format a path's extension names, in any letter case; nothing for any
// other extension.
inline std::optional<ExportFormat> exportFormatOf(std::string_view path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string_view::npos || path[dot] != '.') return std::nullopt;
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "glb") return ExportFormat::glb;
    if (extension == "gltf") return ExportFormat::gltf;
    if (extension == "obj") return ExportFormat::obj;
    return std::nullopt;
}

// The path with its extension replaced: "dir/level.gltf" and "bin" give
// "dir/level.bin".
inline std::string companionPath(const std::string& path, const char* extension) {
    return path.substr(0, path.find_last_of('.') + 1) + extension;
}
