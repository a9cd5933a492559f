#pragma once

#include <cstdint>
#include <utility>

// Window width and height in pixels, width first.
using ScreenSize = std::pair<std::int32_t, std::int32_t>;

// The window's size unless a settings file says otherwise.
constexpr ScreenSize defaultScreenSize{800, 600};
