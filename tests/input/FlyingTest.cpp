// Flies the built viewer through the demo level as a user would: real key
// presses and pointer moves sent to its window, and the window's pixels read
// back after each step. Every step waits for the picture rather than for a
// fixed time, so a slow machine only makes the test slower.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"

namespace {

const char* const caption = "Orvandel - by Tolvane & Drelvik";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool operator==(const Picture& other) const { return rgb == other.rgb; }

    std::uint8_t brightest(std::size_t pixel) const {
        return std::max({rgb[3 * pixel], rgb[3 * pixel + 1], rgb[3 * pixel + 2]});
    }

    // Share of pixels no channel of which reaches the limit.
    double darkShare(std::uint8_t limit = 16) const {
        std::size_t dark = 0;
        for (std::size_t pixel = 0; pixel < rgb.size() / 3; ++pixel) dark += brightest(pixel) < limit;
        return static_cast<double>(dark) / static_cast<double>(rgb.size() / 3);
    }

    double brightShare() const { return 1.0 - darkShare(200); }

    // Share of pixels that differ from the other picture's.
    double differingShare(const Picture& other) const {
        std::size_t differing = 0;
        for (std::size_t pixel = 0; pixel < rgb.size() / 3; ++pixel)
            differing += !std::equal(&rgb[3 * pixel], &rgb[3 * pixel + 3], &other.rgb[3 * pixel]);
        return static_cast<double>(differing) / static_cast<double>(rgb.size() / 3);
    }

    std::vector<int> litPerColumn() const {
        std::vector<int> lit(static_cast<std::size_t>(width));
        for (std::size_t pixel = 0; pixel < rgb.size() / 3; ++pixel)
            lit[pixel % lit.size()] += brightest(pixel) >= 16;
        return lit;
    }
};

// How many columns the level has moved left from one picture to the next: the
// shift that best lines up their counts of lit pixels per column.
int leftwardShift(const Picture& before, const Picture& after) {
    const std::vector<int> was = before.litPerColumn();
    const std::vector<int> now = after.litPerColumn();
    const int width = static_cast<int>(was.size());
    int best = 0;
    double bestCost = 1e300;
    for (int shift = -width / 2; shift <= width / 2; ++shift) {
        double cost = 0.0;
        for (int x = std::max(0, -shift); x < std::min(width, width - shift); ++x)
            cost += std::abs(now[static_cast<std::size_t>(x)] - was[static_cast<std::size_t>(x + shift)]);
        cost /= width - std::abs(shift);
        if (cost < bestCost) {
            bestCost = cost;
            best = shift;
        }
    }
    return best;
}

// Runs a program found on the PATH; false (with a test failure) if it fails.
bool command(const std::vector<std::string>& argv, std::string* out = nullptr) {
    std::vector<std::string> full{"/usr/bin/env"};
    full.insert(full.end(), argv.begin(), argv.end());
    const testsupport::ProcessResult result = testsupport::runProcess(full);
    if (out != nullptr) *out = result.out;
    if (result.exitStatus == 0) return true;
    ADD_FAILURE() << argv[0] << " " << argv[1] << " exited " << result.exitStatus << ": " << result.err;
    return false;
}

// The window's pixels as the display shows them. The window is named by its
// number: without one the screenshot tool would wait for a click.
std::optional<Picture> screenshot(const std::string& window) {
    std::string ppm;
    if (!command({"import", "-window", window, "-depth", "8", "ppm:-"}, &ppm)) return std::nullopt;
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    Picture picture;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.width > 4096 ||
        picture.height <= 0 || picture.height > 4096) {
        ADD_FAILURE() << "unreadable screenshot";
        return std::nullopt;
    }
    picture.rgb.resize(static_cast<std::size_t>(picture.width * picture.height * 3));
    in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
    if (!in) {
        ADD_FAILURE() << "short screenshot";
        return std::nullopt;
    }
    return picture;
}

// Takes screenshots until one passes the check, for at most `seconds`.
template <typename Check>
std::optional<Picture> pictureWhen(const std::string& window, Check check, double seconds = 10.0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        std::optional<Picture> picture = screenshot(window);
        if (!picture || check(*picture)) return picture;
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

// The picture once the screenshots have agreed for half a second: the camera
// has come to rest. Coasting slows per frame, not per second, so a viewer
// that was kept waiting for the processor briefly could look at rest.
std::optional<Picture> steadyPicture(const std::string& window) {
    std::optional<Picture> last;
    auto since = std::chrono::steady_clock::now();
    return pictureWhen(window, [&last, &since](const Picture& picture) {
        const auto now = std::chrono::steady_clock::now();
        if (!last || !(*last == picture)) {
            last = picture;
            since = now;
        }
        return now - since >= std::chrono::milliseconds(500);
    });
}

// Holds a key down until the picture passes the check, then lets it go and
// waits for the camera to coast to a stop.
template <typename Check>
std::optional<Picture> flyUntil(const std::string& window, const char* key, Check check) {
    if (!command({"xdotool", "keydown", key})) return std::nullopt;
    const std::optional<Picture> reached = pictureWhen(window, check);
    if (!command({"xdotool", "keyup", key}) || !reached) return std::nullopt;
    return steadyPicture(window);
}

TEST(Flying, KeysAndPointerFlyTheViewerThroughTheDemoLevelAndEscapeQuits) {
    ASSERT_TRUE(testsupport::holdDisplay());
    const std::string levelPath = testsupport::tempPath("demo.d3dbsp");
    ASSERT_EQ(testsupport::runProcess({testsupport::mklevelBinary(), "demo", levelPath}).exitStatus, 0);
    testsupport::BackgroundProcess viewer({testsupport::viewerBinary(), levelPath});

    std::string window;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (window.empty() && std::chrono::steady_clock::now() < deadline) {
        const testsupport::ProcessResult found =
            testsupport::runProcess({"/usr/bin/env", "xdotool", "search", "--onlyvisible", "--pid",
                                     std::to_string(viewer.id()), "--name", caption});
        std::istringstream(found.out) >> window;
        if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(window.empty()) << "no viewer window; viewer said: " << viewer.errorOutput();
    // Without a window manager the keyboard goes where the pointer is unless
    // a window is given the focus.
    ASSERT_TRUE(command({"xdotool", "windowfocus", "--sync", window}));

    const std::optional<Picture> additive =
        pictureWhen(window, [](const Picture& p) { return p.darkShare() < 0.9; });
    ASSERT_TRUE(additive) << "nothing drawn";
    EXPECT_LT(additive->brightShare(), 0.3) << "only outlines and points are bright when fills add up";

    ASSERT_TRUE(command({"xdotool", "key", "b"}));
    const std::optional<Picture> opaque =
        pictureWhen(window, [](const Picture& p) { return p.brightShare() > 0.5; });
    ASSERT_TRUE(opaque) << "b did not make the fills opaque";
    const std::optional<Picture> start = steadyPicture(window);
    ASSERT_TRUE(start);

    // Backing away, the level shrinks into the dark; nothing lies behind the start.
    const double startDark = start->darkShare();
    const std::optional<Picture> back =
        flyUntil(window, "s", [startDark](const Picture& p) { return p.darkShare() > startDark + 0.1; });
    ASSERT_TRUE(back) << "s did not back away";
    EXPECT_GT(back->darkShare(), startDark + 0.1);

    // The pointer 100 pixels right of the centre turns the view right by
    // 100/360 radian, so the level moves left by 724 · tan(100/360) ≈ 207
    // columns (724 pixels: half the window's height over tan 22.5°). As far
    // left turns it back to the picture it was.
    ASSERT_TRUE(command({"xdotool", "mousemove", "--window", window, "500", "300"}));
    ASSERT_TRUE(pictureWhen(window, [&back](const Picture& p) { return p.differingShare(*back) > 0.2; }))
        << "the pointer did not turn the view";
    const std::optional<Picture> right = steadyPicture(window);
    ASSERT_TRUE(right);
    EXPECT_NEAR(leftwardShift(*back, *right), 207, 10);
    ASSERT_TRUE(command({"xdotool", "mousemove", "--window", window, "300", "300"}));
    // Not pixel for pixel: the camera may still be coasting by a hair.
    EXPECT_TRUE(pictureWhen(window, [&back](const Picture& p) { return p.differingShare(*back) < 0.005; }))
        << "turning back did not restore the view";

    // Flying forward, the level grows to fill the window.
    const double backDark = back->darkShare();
    const std::optional<Picture> forward =
        flyUntil(window, "w", [backDark](const Picture& p) { return p.darkShare() < backDark - 0.1; });
    ASSERT_TRUE(forward) << "w did not fly forward";
    EXPECT_LT(forward->darkShare(), backDark - 0.1);

    ASSERT_TRUE(command({"xdotool", "key", "Escape"}));
    EXPECT_EQ(viewer.waitForExit(10.0), 0) << viewer.errorOutput();
}

}  // namespace
