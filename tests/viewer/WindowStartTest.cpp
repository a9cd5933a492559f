#include <gtest/gtest.h>

#include <string>
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

// Nothing but the message: no terminal codes from a text-mode video driver on stdout.
TEST(WindowStart, SaysWhyWhenNoWindowCanOpenAndExitsOne) {
    const std::string level = writeLevel("window.d3dbsp", Qor::LevelContents{});
    for (const std::vector<std::string>& display : {std::vector<std::string>{"-u", "DISPLAY"},
                                                    std::vector<std::string>{"DISPLAY=:4242"}}) {
        std::vector<std::string> argv = {"/usr/bin/env"};
        argv.insert(argv.end(), display.begin(), display.end());
        argv.insert(argv.end(), {viewerBinary(), level, "--frames", "1", "--settings",
                                 writeTemp("window.txt", "width=320\nheight=240")});
        const ProcessResult result = runProcess(argv);
        SCOPED_TRACE(display.back());
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "ERROR: Could not open a window of '320' by '240' pixels: 'No available video device'.\n");
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
