#pragma once

// --export: the level written in a format other tools read, with no window.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BSP.h"
#include "HiddenMaterials.h"
#include "ExportFormat.h"

// An image a material shows, as the export writes it: a PNG or JPEG file's
// bytes.
struct ExportImage {
    std::string name;       // a plain file name ending in .png or .jpg, no folders
    std::string mimeType;   // "image/png" or "image/jpeg"
    std::vector<std::uint8_t> bytes;
};

struct ExportRequest {
    std::string levelPath;  // the file the level was read from
    std::string path;       // OUT: where the export goes
    ExportFormat format = ExportFormat::glb;
    double scale = 1.0;     // positive and finite
    std::string generator;  // the program and its version
    Qor::HiddenMaterials hidden;  // left out, as the viewer leaves them out of the picture
    // With texture coordinates on every vertex; without them, and without
    // images, the export is as it was before images could be exported.
    bool textureCoordinates = false;
    std::vector<ExportImage> images;
    // Material number to its image in `images`; needs textureCoordinates.
    std::map<std::uint32_t, std::size_t> materialImages;
};

// Writes the export of a level that loaded, taking it over: its file's bytes
// and then the rest of it are let go as soon as the export no longer needs
// them, so that the level and the output are never held twice over. Each
// file is written under a temporary name beside its place and moved there
// only when every file is whole, so an existing file is never left
// half-written. False, with an ERROR line on stderr, when a file could not
// be written; nothing then stays behind. A .glb holds its images; a .gltf
// and an .obj have theirs beside them, each named after the export's file
// and the image: "level-wall.png".
bool writeExport(std::unique_ptr<Qor::BSP> level, const ExportRequest& request);
