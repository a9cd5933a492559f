#include <SDL.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AssetLayers.h"
#include "AssetPath.h"
#include "BSP.h"
#include "CommandLine.h"
#include "Input.h"
#include "Export.h"
#include "ExportImages.h"
#include "LevelFile.h"
#include "LevelInfo.h"
#include "Measure.h"
#include "Png.h"
#include "Pointing.h"
#include "Renderer.h"
#include "SavedViews.h"
#include "Settings.h"

namespace {

const char* const builtInLevelPath = "Z:\\QOR2MAP\\mp_varnholt.d3dbsp";

// The folders and archives named, else the one found near the level; null
// when there are none.
std::shared_ptr<const Qor::AssetLayers> mountAssets(std::vector<std::string> paths, const std::string& levelPath) {
    if (paths.empty())
        if (const auto near = Qor::assetsNearLevel(levelPath)) paths.push_back(*near);
    if (paths.empty()) return nullptr;
    auto layers = std::make_shared<Qor::AssetLayers>();
    for (const std::string& path : paths)
        for (const std::string& warning : layers->mount(path)) std::cerr << warning << '\n';
    return layers;
}

// Each material's image by name, as the viewer would look it up, without
// reading or decoding it.
void addImageNames(LevelReport& report, const Qor::AssetLayers& layers) {
    report.imagesLookedFor = true;
    for (MaterialReport& material : report.materials)
        if (const auto location = layers.find(Qor::candidateNames(material.name)))
            material.image = ImageName{layers.root(location->layer), location->path};
}

// The JSON object is printed for a level that failed too, with its messages.
int showInfo(const CommandLine& line) {
    const Qor::BSP level("", line.levelPath.c_str());
    LevelReport report = levelReport(level);
    if (const auto layers = mountAssets(line.assets, line.levelPath)) addImageNames(report, *layers);
    if (line.json)
        printLevelJson(report, std::cout);
    else if (level.loaded())
        printLevelInfo(report, std::cout);
    return level.loaded() ? 0 : 1;
}

// The materials the patterns name, with a warning for a pattern that names none.
Qor::HiddenMaterials hiddenByPatterns(const std::vector<std::string>& patterns, const Qor::BSP& level) {
    Qor::HiddenMaterials hidden;
    for (const std::string& pattern : patterns)
        if (Qor::hideMatching(hidden, level, pattern) == 0)
            std::cerr << "WARNING: No material of the level matches the hide pattern '" << pattern << "'.\n";
    return hidden;
}

std::string outsideWindow(const char* option, const std::array<int, 2>& pixel, const ScreenSize& screen) {
    return std::string("orvandel: ") + option + ": pixel '" + std::to_string(pixel[0]) + ',' +
           std::to_string(pixel[1]) + "' lies outside the window of '" + std::to_string(screen.first) + "' by '" +
           std::to_string(screen.second) + "' pixels\n";
}

// The line --mark adds after the pick line: the distance from the mark's
// point to the pick's, and its parts along x, y and z, or that either pixel
// shows nothing.
std::string markLine(const std::array<int, 2>& pixel, const Hit& mark, const Hit& picked) {
    std::string line = "from mark: " + std::to_string(pixel[0]) + ' ' + std::to_string(pixel[1]) + ' ';
    if (mark.kind == Hit::Kind::nothing || picked.kind == Hit::Kind::nothing) return line + "nothing";
    const Qor::Measurement m = Qor::measureBetween(mark.point, picked.point);
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "distance %.2f delta %.2f %.2f %.2f", m.distance, m.delta[0], m.delta[1],
                  m.delta[2]);
    return line + numbers;
}

int exportLevel(const CommandLine& line) {
    auto level = std::make_unique<Qor::BSP>("", line.levelPath.c_str());
    if (!level->loaded()) return 1;
    ExportRequest request;
    request.levelPath = line.levelPath;
    request.path = line.exportPath;
    request.format = line.exportFormat;
    request.scale = line.exportScale;
    request.generator = std::string("orvandel ") + programVersion;
    request.hidden = hiddenByPatterns(line.hidePatterns, *level);
    if (const auto layers = mountAssets(line.assets, line.levelPath)) addExportImages(request, *level, *layers, std::cerr);
    return writeExport(std::move(level), request) ? 0 : 1;
}

// The find prompt's first match, the prompt left closed.
void findFirst(Renderer& renderer, const std::string& text) {
    renderer.view.find.text = text;
    if (!stepFind(renderer.view, InputScene{*renderer.level, renderer.markers}, false))
        std::cerr << "WARNING: Nothing in the level matches '" << text
                  << "'; the camera starts where it would without --find.\n";
    renderer.view.find = FindPrompt{};
}

int view(const CommandLine& line) {
    ScreenSize screen = defaultScreenSize;
    bool fullscreen = false;
    bool cull = false;
    std::vector<std::string> hidePatterns;
    std::vector<std::string> settingsAssets;
    if (!line.settingsPath.empty())
        readSettings(line.settingsPath, screen, fullscreen, cull, &hidePatterns, &settingsAssets);
    hidePatterns.insert(hidePatterns.end(), line.hidePatterns.begin(), line.hidePatterns.end());
    if (line.size) screen = *line.size;
    if (!windowSizeAllowed(screen)) {
        std::cerr << windowSizeRefusal(line.size ? "Option '--size'" : "Settings file '" + line.settingsPath + "'",
                                       screen);
        return 2;
    }
    for (const auto& [option, pixel] : {std::pair{"--pick", line.pick}, std::pair{"--mark", line.mark}}) {
        if (pixel && ((*pixel)[0] >= screen.first || (*pixel)[1] >= screen.second)) {
            std::cerr << outsideWindow(option, *pixel, screen);
            return 2;
        }
    }
    Renderer renderer(screen, fullscreen, line.offscreen ? SurfaceKind::offscreen : SurfaceKind::window);
    renderer.view.drawPath = line.drawPath;
    renderer.view.look = line.look;
    renderer.frameLimit = line.frames;
    if (line.panelPage != 0) {
        renderer.view.overlayVisible = true;
        renderer.view.overlayPage = line.panelPage;
    }
    renderer.captureLastFrame = !line.screenshotPath.empty();
    renderer.view.showMarkers = line.entities;
    renderer.view.cull = line.cull || cull;
    const std::string levelPath = line.levelPath.empty() ? builtInLevelPath : line.levelPath;
    renderer.assets = mountAssets(line.assets.empty() ? settingsAssets : line.assets, levelPath);
    renderer.frame.textures.budgetBytes = line.textureBudgetMegabytes * 1024 * 1024;
    std::string picked;
    {
        LevelFile file(levelPath);
        SavedViews views(savedViewsPath(), file.path());
        renderer.savedViews = &views;
        renderer.setLevel(file.level());
        renderer.levelFile = &file;
        renderer.watchLevel = line.watch;
        renderer.view.hidden = hiddenByPatterns(hidePatterns, *renderer.level);
        renderer.placeCamera(line.camera);
        if (!line.find.empty()) findFirst(renderer, line.find);
        renderer.run();
        if (line.pick) {
            const auto [x, y] = *line.pick;
            const Hit hit = renderer.pointAt(x, y);
            picked = pickLine(x, y, hit, *renderer.level);
            if (line.mark) picked += '\n' + markLine(*line.mark, renderer.pointAt((*line.mark)[0], (*line.mark)[1]), hit);
        }
    }

    int status = 0;
    if (renderer.captureLastFrame &&
        !writePng(line.screenshotPath, renderer.view.screenWidth, renderer.view.screenHeight, renderer.lastFrame)) {
        std::cerr << "ERROR: Could not write screenshot file '" << line.screenshotPath << "'.\n";
        status = 1;
    }
    if (!picked.empty()) std::cout << picked << std::endl;
    if (line.frames != 0) {
        const double meanMs = renderer.runSeconds * 1000.0 / static_cast<double>(renderer.framesRun);
        std::printf("frames: %llu mean_ms: %.3f\n", static_cast<unsigned long long>(renderer.framesRun),
                    meanMs);
    }
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::help: std::cout << usageText(); return 0;
    case CommandLine::Action::version: std::cout << "orvandel " << programVersion << '\n'; return 0;
    case CommandLine::Action::usageError: std::cerr << line.error << '\n'; return 2;
    case CommandLine::Action::info: return showInfo(line);
    case CommandLine::Action::exportLevel: return exportLevel(line);
    case CommandLine::Action::view: break;
    }
    return view(line);
}
