#include "Export.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <utility>
#include <vector>

#include "ExportGeometry.h"
#include "ExportGltf.h"
#include "ExportObj.h"
#include "PathParts.h"
#include "TextFormat.h"

namespace {


bool failed(const std::string& path) {
    std::cerr << "ERROR: Could not write export file '" << path << "'.\n";
    return false;
}

// A fresh directory beside the export's files that holds them until every
// one is whole; whatever is still in it goes with it.
class Staging {
public:
    explicit Staging(const std::string& besidePath) {
        std::string pattern = Qor::directoryOf(besidePath) + ".orvandel-export-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) directory = pattern;
    }
    ~Staging() {
        std::error_code ignored;
        if (!directory.empty()) std::filesystem::remove_all(directory, ignored);
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    bool ready() const { return !directory.empty(); }
    std::string file(const std::string& name) const { return directory + "/" + name; }

private:
    std::string directory;
};

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Moves each staged file to its place, in order. A place that no file can
// take is found before anything moves, so a refused export changes nothing.
bool moveIntoPlace(const std::vector<std::pair<std::string, std::string>>& moves) {
    for (const auto& [staged, place] : moves)
        if (isDirectory(place)) return failed(place);
    for (const auto& [staged, place] : moves)
        if (std::rename(staged.c_str(), place.c_str()) != 0) return failed(place);
    return true;
}

bool isLevelFile(const std::string& path, const std::string& levelPath) {
    std::error_code error;
    return std::filesystem::equivalent(path, levelPath, error) && !error;
}

std::string header(const ExportRequest& request, const std::string& levelFileName) {
    std::string text = request.generator + " export of " + Qor::validUtf8(levelFileName);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ') c = '?';
    return text;
}

// The files the images take beside an export at path: each named after the
// export's file and the image, every one different from the others.
std::vector<std::string> besideNames(const std::string& path, const std::vector<ExportImage>& images) {
    const std::string fileName = Qor::fileNameOf(path);
    const std::string stem = fileName.substr(0, fileName.find_last_of('.'));
    std::vector<std::string> names;
    std::set<std::string> used;
    for (const ExportImage& image : images) {
        const auto dot = image.name.find_last_of('.');
        const std::string plain = stem + "-" + image.name.substr(0, dot);
        const std::string extension = dot == std::string::npos ? std::string() : image.name.substr(dot);
        std::string name = plain + extension;
        for (std::size_t n = 2; used.count(name) != 0; ++n) name = plain + "-" + std::to_string(n) + extension;
        used.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool writeExport(std::unique_ptr<Qor::BSP> level, const ExportRequest& request) {
    std::vector<std::string> places = {request.path};
    if (request.format == ExportFormat::gltf) places.push_back(companionPath(request.path, "bin"));
    if (request.format == ExportFormat::obj) places.push_back(companionPath(request.path, "mtl"));
    const bool beside = request.format != ExportFormat::glb;
    const std::vector<std::string> imageNames =
        beside ? besideNames(request.path, request.images) : std::vector<std::string>();
    for (const std::string& name : imageNames) places.push_back(Qor::directoryOf(request.path) + name);
    for (const std::string& place : places)
        if (isLevelFile(place, request.levelPath)) {
            std::cerr << "ERROR: Could not write export file over the level file '" << place << "'.\n";
            return false;
        }

    const Staging staging(request.path);
    if (!staging.ready()) return failed(request.path);

    ExportGeometry geometry = exportGeometry(*level, request.hidden, request.textureCoordinates);
    // The vertices and triangles are read from the file's bytes, and from
    // here on only the counts and the decoded rest are.
    releaseFileBuffer(level->buffer);
    if (request.textureCoordinates)
        for (ExportPrimitive& primitive : geometry.primitives)
            if (const auto image = request.materialImages.find(primitive.texture);
                image != request.materialImages.end() && image->second < request.images.size())
                primitive.image = image->second;

    // Only the images some primitive shows are written beside the export.
    std::vector<std::pair<std::string, std::string>> moves;
    std::set<std::size_t> shown;
    for (const ExportPrimitive& primitive : geometry.primitives)
        if (primitive.image) shown.insert(*primitive.image);
    for (const std::size_t image : shown) {
        if (!beside) break;
        const std::string staged = staging.file("image-" + std::to_string(image));
        const std::string place = Qor::directoryOf(request.path) + imageNames[image];
        if (!writeBytes(staged, request.images[image].bytes)) return failed(place);
        moves.emplace_back(staged, place);
    }

    if (request.format == ExportFormat::obj) {
        const std::string text = header(request, level->fileName);
        level.reset();
        const std::string mtl = staging.file("export.mtl");
        const std::string obj = staging.file("export.obj");
        if (!writeMtl(geometry, text, mtl, imageNames)) return failed(places[1]);
        if (!writeObj(geometry, request.scale, text, obj, Qor::fileNameOf(places[1]))) return failed(request.path);
        moves.emplace_back(mtl, places[1]);
        moves.emplace_back(obj, request.path);
        return moveIntoPlace(moves);
    }

    tinygltf::Model model = gltfDocument(*level, request.scale, request.generator);
    level.reset();
    addGltfGeometry(model, std::move(geometry), request.images, imageNames);
    if (request.format == ExportFormat::glb) {
        const std::string glb = staging.file("export.glb");
        if (!writeGlb(model, glb)) return failed(request.path);
        moves = {{glb, request.path}};
    } else {
        const std::string gltf = staging.file("export.gltf");
        if (!model.buffers.empty()) {
            model.buffers[0].uri = uriOfFileName(Qor::fileNameOf(places[1]));
            moves.emplace_back(staging.file(model.buffers[0].uri), places[1]);
        }
        if (!writeGltf(model, gltf)) return failed(request.path);
        moves.emplace_back(gltf, request.path);
    }
    return moveIntoPlace(moves);
}
