#include "Clock.h"

#include <SDL.h>

#include <ctime>

namespace {
constexpr std::int64_t nanosecondsPerSecond = 1000000000;
}

bool queryCounterFrequency(std::int64_t& countsPerSecond) {
    timespec resolution{};
    if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
    countsPerSecond = nanosecondsPerSecond;
    return true;
}

std::int64_t readCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * nanosecondsPerSecond + now.tv_nsec;
}

std::uint32_t readMilliseconds() { return SDL_GetTicks(); }
