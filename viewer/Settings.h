#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ScreenSize.h"

// Reads a settings file of key=value lines ("width", "height", "fullscreen",
// "cull") into the window size, the full-screen flag and one-sided drawing.
// After a successful read the outputs start from 1024 × 768, windowed, both
// sides drawn, and the file's keys change them; when the file cannot be
// opened or read they keep the caller's values. Each "hide" key's value, a
// glob on material names, is added to hidePatterns when it is given; each
// "assets" line, when assets is given, appends its path: the rest of the line
// after the first '=', spaces around it dropped, kept whole.
void readSettings(const std::string& fileName, ScreenSize& size, bool& fullscreen, bool& cull,
                  std::vector<std::string>* hidePatterns = nullptr, std::vector<std::string>* assets = nullptr);

// The longest window side the viewer opens. OpenGL draws no wider or taller
// than GL_MAX_VIEWPORT_DIMS, which is 16384 in Mesa and most drivers, so a
// larger window would show pixels the passes never reach; it also keeps a
// screenshot's read-back buffer within 1 GiB.
constexpr std::int32_t largestWindowSide = 16384;

// Whether a window of this size can be opened: each side from 1 to
// largestWindowSide pixels.
bool windowSizeAllowed(const ScreenSize& size);

// The line printed when `source` (a settings file, an option) asks for a
// window that cannot be opened.
std::string windowSizeRefusal(const std::string& source, const ScreenSize& size);
