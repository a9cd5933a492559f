#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CameraRequest.h"
#include "DrawPath.h"
#include "ExportFormat.h"
#include "Look.h"
#include "ScreenSize.h"

// What the user asked for on the command line. Options and the level file may
// come in any order; "--" ends the options.
struct CommandLine {
    enum class Action { view, info, exportLevel, help, version, usageError };

    Action action = Action::view;
    // Empty when no level was named: the viewer then uses its built-in path.
    std::string levelPath;
    // Loop turns to run before ending as a quit would; 0 runs until the user quits.
    std::uint64_t frames = 0;
    std::string screenshotPath;
    std::string settingsPath;
    // The panel page shown from the start, 1 to 4, as if its key had been
    // pressed once; 0 shows none.
    std::int32_t panelPage = 0;
    CameraRequest camera;
    // Read the level again when its file changes.
    bool watch = true;
    // With info: the summary as one JSON object.
    bool json = false;
    DrawPath drawPath = DrawPath::buffered;
    // With exportLevel: where the export goes, its format (from the path's
    // extension) and the scale its root node carries.
    std::string exportPath;
    ExportFormat exportFormat = ExportFormat::glb;
    double exportScale = 1.0;
    Look look = Look::classic;
    // Folders and archives the images are looked for in, lowest first; empty
    // for the settings file's, or the ones found near the level.
    std::vector<std::string> assets;
    std::uint64_t textureBudgetMegabytes = 512;
    // The camera starts at the first match of this text, as the find prompt's.
    std::string find;
    // Entity markers shown from the start.
    bool entities = false;
    // One-sided drawing from the start.
    bool cull = false;
    // The pixel, from the window's top-left corner, whose pick line is printed
    // when the viewer ends; whether it lies inside the window is known only
    // once the window's size is.
    std::optional<std::array<int, 2>> pick;
    // With pick: the pixel whose point the pick is measured from.
    std::optional<std::array<int, 2>> mark;
    // Globs on material names, hidden from the start (--hide, repeatable).
    std::vector<std::string> hidePatterns;
    // Frames drawn into a buffer in memory instead of a window: no display.
    bool offscreen = false;
    // The window's (or buffer's) size; it wins over the settings file's.
    // Whether a window can have it is checked when it opens.
    std::optional<ScreenSize> size;
    // The one-line message for a usage error.
    std::string error;
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// Reads "X,Y": two whole numbers from 0, as --pick takes them.
std::optional<std::array<int, 2>> parsePixel(const std::string& text);

// The text --help prints.
std::string usageText();

extern const char* const programVersion;
