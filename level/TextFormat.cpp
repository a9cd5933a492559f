#include "TextFormat.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace Qor {

std::string fixedDecimals(double value, int decimals) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string digits = text;
    if (digits[0] == '-' && digits.find_first_not_of("0.", 1) == std::string::npos) digits.erase(0, 1);
    return digits;
}

std::string validUtf8(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    // Through the JSON library's own replacement, so that the export and the
    // JSON report show a name alike.
    const std::string quoted = nlohmann::json(std::string(bytes)).dump(-1, ' ', false,
                                                                       nlohmann::json::error_handler_t::replace);
    return nlohmann::json::parse(quoted).get<std::string>();
}

}  // namespace Qor
