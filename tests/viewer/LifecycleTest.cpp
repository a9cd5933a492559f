#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "FrameTimer.h"
#include "WindowEvents.h"

namespace {

using ::testing::MatchesRegex;

// One red triangle in the upper half of the starting view.
std::string upperTriangleLevel() {
    return testsupport::writeLevel("upper.d3dbsp", oneTriangle({{-30, 100, 5}, {30, 100, 5}, {0, 100, 35}}));
}

// Opaque drawing leaves the fill's alpha in the frame; the kept frame must
// not, as the window shows none.
TEST(ViewerLifecycle, AQuitRequestEndsTheLoopAfterOneMoreFrameAndShutsDown) {
    Renderer renderer;
    Qor::BSP level("", upperTriangleLevel().c_str());
    renderer.setLevel(&level);
    renderer.view.renderMode = RenderMode::opaque;
    renderer.captureLastFrame = true;
    SDL_Event quit{SDL_QUIT};
    SDL_PushEvent(&quit);
    renderer.run();
    EXPECT_EQ(renderer.framesRun, 1u);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    ASSERT_EQ(renderer.lastFrame.size(), 800u * 600u * 4u);
    for (std::size_t alpha = 3; alpha < renderer.lastFrame.size(); alpha += 4)
        ASSERT_EQ(renderer.lastFrame[alpha], 255) << alpha;
}

TEST(ViewerCommandLine, RunsTheFramesAskedForAndWritesTheLastOneAsPng) {
    const std::string written = testsupport::tempPath("shot.png");
    const std::string unwritable = testsupport::tempPath("no-such-directory/shot.png");
    const std::tuple<std::string, int, std::string> cases[] = {
        {written, 0, ""}, {unwritable, 1, "ERROR: Could not write screenshot file '" + unwritable + "'.\n"}};
    for (const auto& [shot, exitStatus, err] : cases) {
        const auto result = testsupport::runProcess(
            {testsupport::viewerBinary(), "--frames", "3", "--screenshot", shot, upperTriangleLevel()});
        EXPECT_EQ(result.exitStatus, exitStatus) << shot;
        EXPECT_EQ(result.err, err);
        EXPECT_THAT(result.out, MatchesRegex("frames: 3 mean_ms: [0-9]+\\.[0-9]+\n"));
    }

    const testsupport::Image png = testsupport::readPng(written);
    ASSERT_EQ(std::tie(png.width, png.height), std::make_tuple(800u, 600u));
    // Row 191 crosses the triangle, filled in red at a tenth of full strength
    // and added to the black; GL gives the rows bottom first.
    EXPECT_NEAR(png.rgba[(191 * 800 + 400) * 4], 25.5, 1.5);
}

// Saved in the current directory after the pictures already there, and as
// --screenshot would write the same frame; a directory that cannot take the
// file gets the message and the viewer goes on.
TEST(ScreenshotKey, SavesTheFrameAsTheNextNumberedPngAndCarriesOnWhenItCannot) {
    const std::string level = upperTriangleLevel();
    const std::string directory = testsupport::tempPath("shots");
    ASSERT_EQ(mkdir(directory.c_str(), 0755) + chdir(directory.c_str()), 0);
    ASSERT_TRUE(Qor::writeFile("upper-001.png", {}));
    const std::tuple<bool, std::string, std::string> cases[] = {
        {true, "Saved screenshot 'upper-002.png'.\n", ""},
        {false, "", "ERROR: Could not write screenshot file 'upper-001.png'.\n"}};
    for (const auto& [writable, out, err] : cases) {
        if (!writable) std::filesystem::remove_all(directory);
        Renderer renderer;
        Qor::BSP shown("", level.c_str());
        renderer.setLevel(&shown);
        renderer.frameLimit = 2;
        renderer.captureLastFrame = true;
        renderer.view.mouseLook = false;
        pushKey(SDLK_PRINT);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        renderer.run();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), out);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), err);
        EXPECT_EQ(renderer.framesRun, 2u);
        // Nothing moves between the two frames, so the last one is the same picture.
        if (writable) {
            EXPECT_EQ(testsupport::readPng("upper-002.png").rgba, renderer.lastFrame);
        }
        EXPECT_NEAR(renderer.lastFrame[(191 * 800 + 400) * 4], 25.5, 1.5) << "not the triangle's frame";
    }
    ASSERT_EQ(chdir("/"), 0);
}

// Frames of 1, 2, 3, ... seconds, each recorded as the end of a frame records
// it: the time since the mark the frame before left. No window is needed.
TEST(FrameTimer, MeansCountOnlyRecordedFramesAndWrapAfterAHundred) {
    frameTimer = FrameTimerState{};
    startFrameTimer();
    EXPECT_EQ(averageFrameSeconds(), 0.01333);
    EXPECT_EQ(averageFrameRate(), 75.0);
    auto record = [](int seconds) {
        frameTimer.frameStart = currentSeconds() - seconds;
        recordFrame();
    };
    for (int seconds = 1; seconds <= 3; ++seconds) record(seconds);
    EXPECT_NEAR(averageFrameSeconds(), 2.0, 0.1);
    EXPECT_NEAR(averageFrameRate(), (1.0 + 1.0 / 2 + 1.0 / 3) / 3, 0.01);
    // The 101st frame takes the first slot: the mean is of frames 2 to 101.
    for (int seconds = 4; seconds <= 101; ++seconds) record(seconds);
    EXPECT_NEAR(averageFrameSeconds(), 51.5, 0.1);
}

}  // namespace
