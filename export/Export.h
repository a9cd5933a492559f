#pragma once

// --export: the level written in a format other tools read, with no window.

#include <memory>
#include <string>

#include "BSP.h"
#include "HiddenMaterials.h"
#include "ExportFormat.h"

struct ExportRequest {
    std::string levelPath;  // the file the level was read from
    std::string path;       // OUT: where the export goes
    ExportFormat format = ExportFormat::glb;
    double scale = 1.0;     // positive and finite
    std::string generator;  // the program and its version
    Qor::HiddenMaterials hidden;  // left out, as the viewer leaves them out of the picture
};

// Writes the export of a level that loaded, taking it over: its file's bytes
// and then the rest of it are let go as soon as the export no longer needs
// them, so that the level and the output are never held twice over. Each
// file is written under a temporary name beside its place and moved there
// only when every file is whole, so an existing file is never left
// half-written. False, with an ERROR line on stderr, when a file could not
// be written; nothing then stays behind.
bool writeExport(std::unique_ptr<Qor::BSP> level, const ExportRequest& request);
