#include "WindowStart.h"

#include <thread>

bool displayRefused(const std::string& reason) {
    // SDL's X11 driver says the first when its probe cannot connect, the
    // second when the connection it keeps cannot be made.
    return reason == "No available video device" || reason.find("X11 display") != std::string::npos;
}

std::string openWindowRetrying(const WindowAttempt& attempt, int attempts, std::chrono::milliseconds pause) {
    std::string reason = attempt();
    for (int tried = 1; tried < attempts && !reason.empty() && displayRefused(reason); ++tried) {
        std::this_thread::sleep_for(pause);
        reason = attempt();
    }
    return reason;
}

std::string windowFailureMessage(int width, int height, const std::string& reason) {
    return "ERROR: Could not open a window of '" + std::to_string(width) + "' by '" + std::to_string(height) +
           "' pixels: '" + reason + "'.\n";
}
