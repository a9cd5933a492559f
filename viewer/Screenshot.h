#pragma once

#include <string>

// Where the screenshot key saves: the first "NAME-NNN.png" in the current
// directory that is not taken yet, counting from 001, NAME the level's file
// name without its extension.
std::string nextScreenshotPath(const std::string& levelFileName);
