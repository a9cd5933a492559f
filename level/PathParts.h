#pragma once

#include <string>

namespace Qor {

// The directory part of a path, with its last '/'; empty for a bare name.
inline std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path past its last '/'.
inline std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The path past its last '/' or '\': the names a level or a game's data
// hold were written on systems using either.
inline std::string nameOf(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

}  // namespace Qor
