#include "EntityRules.h"

#include <charconv>
#include <cmath>
#include <string>

namespace Qor {

namespace {

// Exactly `count` finite numbers separated by spaces or tabs, or nothing.
template <std::size_t count>
std::optional<std::array<double, count>> numbers(const std::string* text) {
    if (text == nullptr) return std::nullopt;
    const char* at = text->data();
    const char* const end = at + text->size();
    const auto isSpace = [&] { return at != end && (*at == ' ' || *at == '\t'); };
    std::array<double, count> values{};
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0 && !isSpace()) return std::nullopt;
        while (isSpace()) ++at;
        const auto [next, error] = std::from_chars(at, end, values[k]);
        if (error != std::errc() || !std::isfinite(values[k])) return std::nullopt;
        at = next;
    }
    while (isSpace()) ++at;
    if (at != end) return std::nullopt;
    return values;
}

// The angle brought into [low, low + 360), never negative zero.
double wrapped(double degrees, double low) {
    double value = std::fmod(degrees - low, 360.0);
    if (value < 0.0) value += 360.0;
    // A tiny negative remainder plus 360 rounds to 360 itself.
    if (value >= 360.0) value = 0.0;
    return value + low;
}

}  // namespace

EntityKind entityKind(const Entity& entity) {
    const std::string* classname = entity.value("classname");
    if (classname == nullptr) return EntityKind::other;
    if (classname->rfind("info_player", 0) == 0 || classname->find("spawn") != std::string::npos)
        return EntityKind::spawnPoint;
    return classname->rfind("light", 0) == 0 ? EntityKind::light : EntityKind::other;
}

std::optional<std::array<double, 3>> entityOrigin(const Entity& entity) { return numbers<3>(entity.value("origin")); }

Facing entityFacing(const Entity& entity) {
    double fileYaw = 0.0;
    double filePitch = 0.0;
    if (const auto angle = numbers<1>(entity.value("angle"))) {
        fileYaw = (*angle)[0];
    } else if (const auto angles = numbers<3>(entity.value("angles"))) {
        filePitch = (*angles)[0];
        fileYaw = (*angles)[1];
    }
    return Facing{wrapped(90.0 - fileYaw, 0.0), 0.0 - wrapped(filePitch, -180.0)};
}

std::array<double, 3> facingDirection(const Facing& facing) {
    const double yaw = facing.yaw * M_PI / 180.0;
    const double pitch = facing.pitch * M_PI / 180.0;
    return {std::cos(pitch) * std::sin(yaw), std::cos(pitch) * std::cos(yaw), std::sin(pitch)};
}

}  // namespace Qor
