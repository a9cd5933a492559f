#include "FrameTimer.h"

#include <SDL.h>

#include <sstream>
#include <string>

#include "Clock.h"

FrameTimerState frameTimer;

double currentSeconds() {
    if (!frameTimer.clockQueried) {
        frameTimer.clockQueried = true;
        frameTimer.usePerformanceCounter = queryCounterFrequency(frameTimer.counterFrequency);
    }
    if (frameTimer.usePerformanceCounter)
        return static_cast<double>(readCounter()) / static_cast<double>(frameTimer.counterFrequency);
    return static_cast<double>(readMilliseconds()) * 0.001;
}

double frameSeconds() { return currentSeconds() - frameTimer.frameStart; }

double frameRate() {
    const double elapsed = currentSeconds() - frameTimer.frameStart;
    return elapsed == 0.0 ? 0.0 : 1.0 / elapsed;
}

namespace {

// Only recorded entries count, so the starting values never enter a mean.
double meanOfRecorded(const std::array<double, frameHistoryLength>& history, double nothingYet) {
    const std::uint32_t count = frameTimer.historyFull ? frameHistoryLength : frameTimer.historyPos;
    if (count == 0) return nothingYet;
    double sum = 0.0;
    for (std::uint32_t slot = 0; slot < count; ++slot) sum += history[slot];
    return sum / static_cast<double>(count);
}

}  // namespace

double averageFrameRate() { return meanOfRecorded(frameTimer.fpsHistory, startingFrameRate); }

double averageFrameSeconds() { return meanOfRecorded(frameTimer.spfHistory, startingFrameSeconds); }

void startFrameTimer() {
    frameTimer.frameStart = currentSeconds();
    frameTimer.fpsHistory.fill(startingFrameRate);
    frameTimer.spfHistory.fill(startingFrameSeconds);
}

void recordFrame() {
    frameTimer.fpsHistory[frameTimer.historyPos] = frameRate();
    frameTimer.spfHistory[frameTimer.historyPos] = frameSeconds();
    if (++frameTimer.historyPos == frameHistoryLength) {
        frameTimer.historyFull = true;
        frameTimer.historyPos = 0;
    }
    frameTimer.frameStart = currentSeconds();
}

void updateCaption() {
    std::ostringstream text;
    text << (frameTimer.captionText != nullptr ? frameTimer.captionText : "") << " - FPS: "
         << averageFrameRate() << " SPF: " << averageFrameSeconds();
    SDL_WM_SetCaption(text.str().c_str(), nullptr);
}
