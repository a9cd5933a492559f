#pragma once

#include <array>
#include <cstdint>

// Process-wide frame timing: the last 100 frame durations and frame rates.
// The mean frame duration scales the camera drive, so that motion per second
// does not depend on the frame rate.

constexpr std::uint32_t frameHistoryLength = 100;
constexpr double startingFrameRate = 75.0;
constexpr double startingFrameSeconds = 0.01333;

struct FrameTimerState {
    bool clockQueried = false;
    bool usePerformanceCounter = false;
    std::int64_t counterFrequency = 0;
    const char* captionText = nullptr;
    double frameStart = 0.0;
    std::array<double, frameHistoryLength> fpsHistory{};
    std::array<double, frameHistoryLength> spfHistory{};
    std::uint32_t historyPos = 0;
    bool historyFull = false;
};

extern FrameTimerState frameTimer;

double currentSeconds();
double frameSeconds();
double frameRate();
double averageFrameRate();
double averageFrameSeconds();
void startFrameTimer();
void recordFrame();
void updateCaption();
