#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA pixels, rows top first, as a PNG file. False when the
// file cannot be created or written; a partial file is removed.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);

// The same PNG file's bytes; empty when the size does not match the pixels
// or the encoder fails.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba);
