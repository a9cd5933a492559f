#pragma once

#include <cstddef>

// Where the adjustment keys keep their held flags in Renderer::keyDown. Page
// Up and Down sit at their key value less 256; the brackets at 123 and 125.
constexpr std::size_t heldPageUp = 24;
constexpr std::size_t heldPageDown = 25;
constexpr std::size_t heldQuote = 39;
constexpr std::size_t heldComma = 44;
constexpr std::size_t heldPeriod = 46;
constexpr std::size_t heldSemicolon = 59;
constexpr std::size_t heldLeftBracket = 123;
constexpr std::size_t heldRightBracket = 125;

// Mouse look turns by one radian per this many pixels of pointer travel.
constexpr double mousePixelsPerRadian = 360.0;
constexpr double mouseSensitivity = 1.0;
