#pragma once

// Text as the program shows and writes it: numbers to fixed decimals, and
// names and entity text whose bytes may be anything.

#include <string>
#include <string_view>

namespace Qor {

// The number to `decimals` places; whatever rounds to zero reads as zero,
// whichever side it came from.
std::string fixedDecimals(double value, int decimals);

// Bytes as text that any screen font can show: each byte outside printable
// ASCII becomes '?', so a name keeps its length.
inline std::string printableText(std::string_view bytes) {
    std::string text(bytes);
    for (char& c : text)
        if (c < ' ' || c > '~') c = '?';
    return text;
}

// Bytes as valid UTF-8: each byte that does not belong to a well-formed
// sequence becomes U+FFFD, as the JSON report replaces them.
std::string validUtf8(std::string_view bytes);

}  // namespace Qor
