#pragma once

#include <chrono>
#include <functional>
#include <string>

// Opening the window, told in words when it fails, and tried again while
// the display turns the connection away: an X server that resets when its
// last client leaves refuses connections for a moment, and SDL closes the
// connection it probes the display with before it opens the one it keeps.

// One attempt to open the window: empty when it opened, else why not.
using WindowAttempt = std::function<std::string()>;

// Whether SDL's reason says that no connection to the display could be made.
bool displayRefused(const std::string& reason);

// Runs attempt until it opens the window, fails for another reason than the
// display connection, or has been tried `attempts` times, pausing between
// tries. Returns the last reason, empty when the window opened.
std::string openWindowRetrying(const WindowAttempt& attempt, int attempts, std::chrono::milliseconds pause);

// The one line printed when the window cannot be opened.
std::string windowFailureMessage(int width, int height, const std::string& reason);
