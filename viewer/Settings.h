#pragma once

#include <string>

#include "Renderer.h"

// Reads a settings file of key=value lines ("width", "height", "fullscreen")
// into the window size and the full-screen flag. After a successful read the
// outputs start from 1024 × 768, windowed, and the file's keys change them;
// when the file cannot be opened or read they keep the caller's values.
void readSettings(const std::string& fileName, ScreenSize& size, bool& fullscreen);
