#include "Export.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
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

}  // namespace

bool writeExport(std::unique_ptr<Qor::BSP> level, const ExportRequest& request) {
    std::vector<std::string> places = {request.path};
    if (request.format == ExportFormat::gltf) places.push_back(companionPath(request.path, "bin"));
    if (request.format == ExportFormat::obj) places.push_back(companionPath(request.path, "mtl"));
    for (const std::string& place : places)
        if (isLevelFile(place, request.levelPath)) {
            std::cerr << "ERROR: Could not write export file over the level file '" << place << "'.\n";
            return false;
        }

    const Staging staging(request.path);
    if (!staging.ready()) return failed(request.path);

    ExportGeometry geometry = exportGeometry(*level);
    // The vertices and triangles are read from the file's bytes, and from
    // here on only the counts and the decoded rest are.
    releaseFileBuffer(level->buffer);

    std::vector<std::pair<std::string, std::string>> moves;
    if (request.format == ExportFormat::obj) {
        const std::string text = header(request, level->fileName);
        level.reset();
        const std::string mtl = staging.file("export.mtl");
        const std::string obj = staging.file("export.obj");
        if (!writeMtl(geometry, text, mtl)) return failed(places[1]);
        if (!writeObj(geometry, request.scale, text, obj, Qor::fileNameOf(places[1]))) return failed(request.path);
        moves = {{mtl, places[1]}, {obj, request.path}};
        return moveIntoPlace(moves);
    }

    tinygltf::Model model = gltfDocument(*level, request.scale, request.generator);
    level.reset();
    addGltfGeometry(model, std::move(geometry));
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
