#pragma once

#include <cstring>

// Whether a space-separated list of extension names, as OpenGL and EGL give
// them, holds this name whole (not merely a longer name beginning with it).
inline bool listsName(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr; at += length) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
    }
    return false;
}
