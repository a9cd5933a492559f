#include "Look.h"

#include <array>

namespace {

constexpr std::array<Look, 5> looks = {Look::classic, Look::shaded, Look::baked, Look::normals, Look::textured};

}  // namespace

const char* lookName(Look look) {
    switch (look) {
    case Look::shaded: return "shaded";
    case Look::baked: return "baked";
    case Look::normals: return "normals";
    case Look::textured: return "textured";
    case Look::classic: break;
    }
    return "classic";
}

std::optional<Look> parseLook(std::string_view name) {
    for (const Look look : looks)
        if (name == lookName(look)) return look;
    return std::nullopt;
}

Look nextLook(Look look) {
    for (std::size_t k = 0; k < looks.size(); ++k)
        if (looks[k] == look) return looks[(k + 1) % looks.size()];
    return Look::classic;
}
