#pragma once

// What the input pass keeps between frames beside the view: the fly keys
// held, the adjustment keys held, Shift, the camera's velocity and the spawn
// point Tab last went to.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "KeyHelp.h"

// The held adjustments, from KeyAction::clipFarther to KeyAction::lessAlpha.
constexpr std::size_t heldAdjustmentCount =
    static_cast<std::size_t>(KeyAction::lessAlpha) - static_cast<std::size_t>(KeyAction::clipFarther) + 1;

struct Controls {
    std::array<double, 3> cameraVelocity{0.0, 0.0, 0.0};
    // Each fly key adds on press and subtracts on release, so opposite keys cancel.
    std::int32_t moveSideways = 0;
    std::int32_t moveForward = 0;
    std::int32_t moveVertical = 0;
    bool runHeld = false;
    std::array<bool, heldAdjustmentCount> held{};
    // The spawn point Tab last went to, or -1 before the first.
    std::int64_t spawnCursor = -1;
    // The keys whose press the fly and adjustment keys took, so that only
    // their release undoes it: a key pressed while the find prompt had the
    // keyboard is not undone when it comes up.
    std::bitset<SDLK_LAST> heldKeys;

    bool& heldFlag(KeyAction action) {
        return held[static_cast<std::size_t>(action) - static_cast<std::size_t>(KeyAction::clipFarther)];
    }
    // Everything held let go at once, as when the find prompt takes the keyboard.
    void releaseAll() {
        moveSideways = moveForward = moveVertical = 0;
        held.fill(false);
        heldKeys.reset();
    }
    bool isHeld(KeyAction action) const {
        return held[static_cast<std::size_t>(action) - static_cast<std::size_t>(KeyAction::clipFarther)];
    }
};

// Mouse look turns by one radian per this many pixels of pointer travel.
constexpr double mousePixelsPerRadian = 360.0;
constexpr double mouseSensitivity = 1.0;
