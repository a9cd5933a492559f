#include "Settings.h"

#include <sstream>
#include <vector>

#include "FileBuffer.h"

namespace {

constexpr std::uint8_t carriageReturn = 13;
constexpr std::uint8_t lineFeed = 10;

// The value's leading number, as stream extraction reads it ("800px" is 800).
// False when the text does not begin with a number or it does not fit.
bool leadingInt(const std::string& text, std::int32_t& value) {
    std::istringstream stream(text);
    int number = 0;
    if (!(stream >> number)) return false;
    value = number;
    return true;
}

struct Read {
    ScreenSize& size;
    bool& fullscreen;
    bool& cull;
    std::vector<std::string>* hidePatterns;
};

void applyPair(const std::string& key, const std::string& value, Read& read) {
    if (key == "hide") {
        if (read.hidePatterns != nullptr) read.hidePatterns->push_back(value);
        return;
    }
    std::int32_t number = 0;
    if (!leadingInt(value, number)) return;
    if (key == "width") {
        read.size.first = number;
    } else if (key == "height") {
        read.size.second = number;
    } else if (key == "fullscreen" && number != 0) {
        read.fullscreen = true;
    } else if (key == "cull") {
        // Unlike fullscreen, the last line wins either way.
        read.cull = number != 0;
    }
}

// Cuts the line at every '=', drops the spaces, and applies each pair of
// neighbouring tokens in which neither is empty.
void parseLine(const std::uint8_t* begin, const std::uint8_t* end, Read& read) {
    std::vector<std::string> tokens(1);
    for (const std::uint8_t* p = begin; p != end; ++p) {
        if (*p == '=')
            tokens.emplace_back();
        else if (*p != ' ')
            tokens.back().push_back(static_cast<char>(*p));
    }
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k)
        if (!tokens[k].empty() && !tokens[k + 1].empty()) applyPair(tokens[k], tokens[k + 1], read);
}

// A path may hold spaces and '=', so an assets line is not cut into tokens.
bool assetsLine(const std::uint8_t* begin, const std::uint8_t* end, std::vector<std::string>* assets) {
    const std::string line(begin, end);
    const std::size_t key = line.find_first_not_of(' ');
    const std::size_t equals = line.find('=');
    if (key == std::string::npos || equals == std::string::npos || line.compare(key, 6, "assets") != 0 ||
        line.find_first_not_of(' ', key + 6) != equals)
        return false;
    const std::size_t first = line.find_first_not_of(' ', equals + 1);
    if (assets != nullptr && first != std::string::npos)
        assets->push_back(line.substr(first, line.find_last_not_of(' ') + 1 - first));
    return true;
}

}  // namespace

void readSettings(const std::string& fileName, ScreenSize& size, bool& fullscreen, bool& cull,
                  std::vector<std::string>* hidePatterns, std::vector<std::string>* assets) {
    FileBuffer buffer(nullptr, 0);
    if (!loadWholeFile(fileName, buffer, "settings file", "settings file")) return;

    size = ScreenSize{1024, 768};
    fullscreen = false;
    cull = false;
    Read read{size, fullscreen, cull, hidePatterns};

    const std::uint8_t* p = buffer.data;
    const std::uint8_t* const end = buffer.data + buffer.size;
    while (p != end) {
        const std::uint8_t* lineStart = p;
        while (p != end && *p != carriageReturn && *p != lineFeed) ++p;
        if (!assetsLine(lineStart, p, assets)) parseLine(lineStart, p, read);
        // CR LF, a lone LF and a lone CR each end one line.
        if (p != end && *p == carriageReturn) ++p;
        if (p != end && *p == lineFeed) ++p;
    }
    releaseFileBuffer(buffer);
}

bool windowSizeAllowed(const ScreenSize& size) {
    auto fits = [](std::int32_t side) { return side >= 1 && side <= largestWindowSide; };
    return fits(size.first) && fits(size.second);
}

std::string windowSizeRefusal(const std::string& source, const ScreenSize& size) {
    return "ERROR: " + source + " asks for a window of '" + std::to_string(size.first) + "' by '" +
           std::to_string(size.second) + "' pixels; width and height must lie between '1' and '" +
           std::to_string(largestWindowSide) + "'.\n";
}
