#include "Screenshot.h"

#include <sys/stat.h>

#include <cstdio>

std::string nextScreenshotPath(const std::string& levelFileName) {
    const auto dot = levelFileName.find_last_of('.');
    std::string name = dot == std::string::npos || dot == 0 ? levelFileName : levelFileName.substr(0, dot);
    if (name.empty()) name = "screenshot";
    std::string path;
    for (unsigned number = 1;; ++number) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-%03u.png", number);
        path = name + suffix;
        // lstat, so that a link, even a dangling one, counts as taken and is
        // never written through. A name that cannot be looked at (the
        // directory is gone or closed to us) is taken as free: writing it
        // then fails and says so.
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) return path;
    }
}
