#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "WindowStart.h"

namespace {

using namespace testsupport;

// Each attempt answers with the next reason of the list, the last one for good.
TEST(WindowStart, TriesAgainOnlyWhileTheDisplayRefusesAndAtMostTheAttemptsGiven) {
    const std::string refused = "Couldn't open X11 display";
    const std::string noDevice = "No available video device";
    const std::string noMode = "Couldn't find matching GLX visual";
    const std::tuple<std::vector<std::string>, int, std::string, int> cases[] = {
        // reasons, attempts allowed, outcome, attempts made
        {{""}, 9, "", 1},
        {{refused, noDevice, ""}, 9, "", 3},
        {{refused}, 4, refused, 4},
        {{noDevice, noMode}, 9, noMode, 2},
        {{refused, ""}, 1, refused, 1},
    };
    for (const auto& [reasons, attempts, outcome, made] : cases) {
        SCOPED_TRACE(testing::Message() << reasons.size() << " reasons, " << attempts << " attempts");
        std::size_t calls = 0;
        const std::string result = openWindowRetrying(
            [&, &reasons = reasons] { return reasons[std::min(calls++, reasons.size() - 1)]; }, attempts,
            std::chrono::milliseconds(1));
        EXPECT_EQ(result, outcome);
        EXPECT_EQ(calls, static_cast<std::size_t>(made));
    }
}

// Nothing but the message: no terminal codes from a text-mode video driver on
// stdout. Without a display there is nothing to wait for; a display that
// refuses is tried for ten seconds.
TEST(WindowStart, SaysWhyWhenNoWindowCanOpenAndExitsOne) {
    const std::string level = writeLevel("window.d3dbsp", Qor::LevelContents{});
    const std::tuple<std::vector<std::string>, double, double> cases[] = {
        {{"-u", "DISPLAY"}, 0.0, 5.0}, {{"DISPLAY=:4242"}, 9.9, 60.0}};
    for (const auto& [display, fewestSeconds, mostSeconds] : cases) {
        std::vector<std::string> argv = {"/usr/bin/env"};
        argv.insert(argv.end(), display.begin(), display.end());
        argv.insert(argv.end(), {viewerBinary(), level, "--frames", "1", "--size", "320,240"});
        const auto started = std::chrono::steady_clock::now();
        const ProcessResult result = runProcess(argv);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        SCOPED_TRACE(display.back());
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "ERROR: Could not open a window of '320' by '240' pixels: 'No available video device'.\n");
        EXPECT_EQ(result.out, "");
        EXPECT_GE(seconds, fewestSeconds);
        EXPECT_LT(seconds, mostSeconds);
    }
}

// A display number that no X server of this machine holds.
std::string freeDisplay() {
    for (int number = 400 + getpid() % 400;; ++number) {
        const std::string n = std::to_string(number);
        if (access(("/tmp/.X" + n + "-lock").c_str(), F_OK) != 0 &&
            access(("/tmp/.X11-unix/X" + n).c_str(), F_OK) != 0)
            return ":" + n;
    }
}

// The display takes connections only after four seconds, twice as long as
// the window start used to wait, as a virtual display on a busy machine may.
TEST(WindowStart, WaitsForADisplayThatTakesSecondsToComeUp) {
    const std::string level = writeLevel("late.d3dbsp", Qor::LevelContents{});
    const std::string display = freeDisplay();
    BackgroundProcess viewer({"/usr/bin/env", "DISPLAY=" + display, viewerBinary(), level, "--frames", "1"});
    std::this_thread::sleep_for(std::chrono::seconds(4));
    ASSERT_EQ(viewer.waitForExit(0), -1) << "gave up early: " << viewer.errorOutput();
    BackgroundProcess server({"/usr/bin/Xvfb", display, "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    EXPECT_EQ(viewer.waitForExit(30), 0) << viewer.errorOutput();
    EXPECT_EQ(viewer.errorOutput(), "");
    // Asked, rather than killed, so that it removes its lock file and socket.
    kill(server.id(), SIGTERM);
    EXPECT_EQ(server.waitForExit(10), 0);
}

}  // namespace
