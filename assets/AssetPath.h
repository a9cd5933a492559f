#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Qor {

// The one form in which asset names are compared: ASCII letters lowered and
// '\' turned into '/', so that "Textures\Base\Wall.TGA" and
// "textures/base/wall.tga" name the same image. Every lookup goes through it.
std::string assetKey(std::string_view name);

// The names, as keys, under which a material's image is looked for, in the
// order they are tried within one layer: the name as stored; then its stem
// (without any extension) with each image extension in turn; and when the name
// has no folder part, all of that again under "textures/" and then "images/".
std::vector<std::string> candidateNames(std::string_view materialName);

// Whether bytes start as a zip archive does (a local file header, or the end
// record of an empty archive), whatever the file is called.
bool looksLikeZip(const std::uint8_t* bytes, std::size_t size);

// The same, reading the first bytes of a file; false when it cannot be read.
bool fileLooksLikeZip(const std::string& path);

}  // namespace Qor
