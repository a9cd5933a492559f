#include "AssetPath.h"

#include <array>
#include <fstream>

namespace Qor {

std::string assetKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

std::vector<std::string> candidateNames(std::string_view materialName) {
    static constexpr std::array<const char*, 6> extensions{".png", ".tga", ".jpg", ".jpeg", ".dds", ".bmp"};
    const std::string key = assetKey(materialName);
    const std::size_t slash = key.rfind('/');
    const std::size_t dot = key.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? key.substr(0, dot) : key;

    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        for (const std::string& known : names)
            if (known == name) return;
        names.push_back(name);
    };
    auto addUnder = [&](const std::string& folder) {
        add(folder + key);
        for (const char* extension : extensions) add(folder + stem + extension);
    };
    addUnder("");
    if (slash == std::string::npos) {
        addUnder("textures/");
        addUnder("images/");
    }
    return names;
}

bool looksLikeZip(const std::uint8_t* bytes, std::size_t size) {
    if (size < 4 || bytes[0] != 'P' || bytes[1] != 'K') return false;
    return (bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6);
}

bool fileLooksLikeZip(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[4] = {};
    if (!file.read(head, sizeof head)) return false;
    return looksLikeZip(reinterpret_cast<const std::uint8_t*>(head), sizeof head);
}

}  // namespace Qor
