// Flies the built viewer through the demo level as a user would: real key
// presses and pointer moves sent to its window, and the window's pixels read
// back after each step. Every step waits for the picture rather than for a
// fixed time, so a slow machine only makes the test slower.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using testsupport::command;
using testsupport::Picture;

constexpr std::size_t windowBytes = 800 * 600 * 3;

template <typename Check>
Picture pictureWhen(const std::string& window, Check check, const std::string& action = "") {
    return testsupport::pictureWhen(window, windowBytes, check, action);
}

// Share of the pixels from the given row down some channel of which reaches the limit.
double litShare(const Picture& p, int limit = 16, std::size_t fromRow = 0) {
    std::size_t lit = 0;
    for (std::size_t i = fromRow * 2400; i < p.size(); i += 3)
        lit += std::max({p[i], p[i + 1], p[i + 2]}) >= limit;
    return 3.0 * static_cast<double>(lit) / static_cast<double>(p.size() - fromRow * 2400);
}

TEST(Flying, KeysAndPointerFlyTheViewerThroughTheDemoLevelAndEscapeQuits) {
    ASSERT_TRUE(testsupport::holdDisplay());
    testsupport::BackgroundProcess viewer({testsupport::viewerBinary(), testsupport::generatedLevel({"demo"})});
    const std::string window = testsupport::windowOf(viewer.id());
    ASSERT_FALSE(window.empty()) << viewer.errorOutput();

    // Fills that add up leave only outlines and points bright; b makes them opaque.
    const auto additive = [](const Picture& p) { return litShare(p) > 0.1 && litShare(p, 200) < 0.3; };
    EXPECT_FALSE(pictureWhen(window, additive).empty()) << "nothing drawn, or not in additive mode";
    ASSERT_TRUE(command("xdotool key b"));
    const Picture start = pictureWhen(window, [](const Picture& p) { return litShare(p, 200) > 0.5; });
    ASSERT_FALSE(start.empty()) << "b did not make the fills opaque";

    // The pointer off the centre turns the view, and as far the other way
    // turns it back: pixel for pixel, as the camera has not moved yet.
    const std::string move = "xdotool mousemove --window " + window;
    const Picture turned = pictureWhen(window, [&](const Picture& p) { return p != start; }, move + " 500 300");
    EXPECT_FALSE(turned.empty());
    EXPECT_FALSE(pictureWhen(window, [&](const Picture& p) { return p == start; }, move + " 300 300").empty());

    // The floor begins just ahead of the start and reaches far ahead: backing
    // away, the bottom of the window soon goes dark, and flying forward it
    // shows the floor again. Flying the wrong way, it would stay dark.
    ASSERT_TRUE(command("xdotool keydown s"));
    EXPECT_FALSE(pictureWhen(window, [](const Picture& p) { return litShare(p, 16, 500) < 0.05; }).empty())
        << "s did not back away";
    ASSERT_TRUE(command("xdotool keyup s keydown w"));
    EXPECT_FALSE(pictureWhen(window, [](const Picture& p) { return litShare(p, 16, 500) > 0.95; }).empty())
        << "w did not fly forward";
    ASSERT_TRUE(command("xdotool keyup w key Escape"));
    EXPECT_EQ(viewer.waitForExit(10.0), 0) << viewer.errorOutput();
}

}  // namespace
