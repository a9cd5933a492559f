// Reads each input as a settings file and checks what can be told from the
// bytes alone: a readable file gets no message, and an output changes only
// when its key can be spelt out of the file once the spaces are dropped.

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScreenSize screen{-1, -1};
    bool fullscreen = true;
    bool cull = true;
    readSettings(holdInput(data, size), screen, fullscreen, cull);
    require(messagesAboutInput().empty(), "a file that can be read gets no message");

    std::string text(data, data + size);
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    auto mentions = [&](const char* key) { return text.find(std::string(key) + "=") != std::string::npos; };
    require(mentions("width") || screen.first == 1024, "the width stays 1024 unless a line sets it");
    require(mentions("height") || screen.second == 768, "the height stays 768 unless a line sets it");
    require(mentions("fullscreen") || !fullscreen, "the window stays windowed unless a line asks otherwise");
    require(mentions("cull") || !cull, "both sides stay drawn unless a line asks otherwise");
    return 0;
}
