#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BSP.h"
#include "FrameTimer.h"
#include "Renderer.h"
#include "TestSupport.h"

namespace {

using ::testing::MatchesRegex;

// One red triangle in the upper half of the starting view.
std::string upperTriangleLevel() {
    Qor::LevelContents contents;
    contents.vertices = {{-30, 100, 5, 255}, {30, 100, 5, 255}, {0, 100, 35, 255}};
    contents.triangles = {Qor::Triangle{{0, 1, 2}}};
    contents.textureGroups = {Qor::TextureGroup{0, 0, 3, 0, 3}};
    return testsupport::writeLevel("upper.d3dbsp", contents);
}

TEST(ViewerLifecycle, OpensTheWindowAndPresentsTheFirstFrameBeforeTheConstructorReturns) {
    frameTimer = FrameTimerState{};
    Renderer renderer("");
    const SDL_Surface* window = SDL_GetVideoSurface();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->w, 800);
    EXPECT_EQ(window->h, 600);
    EXPECT_TRUE(window->flags & SDL_OPENGL);
    EXPECT_FALSE(window->flags & SDL_FULLSCREEN);
    EXPECT_EQ(frameTimer.historyPos, 1u);
    shutdownVideo();
}

TEST(ViewerLifecycle, RunWithoutALevelReturnsAtOnceAndKeepsTheWindow) {
    Renderer renderer("");
    const std::uint32_t recorded = frameTimer.historyPos;
    renderer.run();
    EXPECT_EQ(frameTimer.historyPos, recorded);
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    shutdownVideo();
}

TEST(ViewerLifecycle, AQuitRequestEndsTheLoopAfterOneMoreFrameAndShutsDown) {
    const std::string path = upperTriangleLevel();
    SDL_Event closeWindow{};
    closeWindow.type = SDL_QUIT;
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    for (SDL_Event request : {closeWindow, escape}) {
        Renderer renderer("");
        Qor::BSP level("", path.c_str());
        renderer.setLevel(&level);
        const std::uint32_t recorded = frameTimer.historyPos;
        SDL_PushEvent(&request);
        renderer.run();
        EXPECT_EQ(frameTimer.historyPos, recorded + 1);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
}

// The window shows no destination alpha, whatever blending left in it.
TEST(ViewerLifecycle, KeepsTheLastFrameOpaqueInEveryMode) {
    const std::string path = upperTriangleLevel();
    for (std::uint32_t mode : {0u, 1u, 2u}) {
        Renderer renderer("");
        Qor::BSP level("", path.c_str());
        renderer.setLevel(&level);
        renderer.renderMode = mode;
        renderer.frameLimit = 1;
        renderer.captureLastFrame = true;
        renderer.run();
        ASSERT_EQ(renderer.lastFrame.size(), 800u * 600u * 4u);
        std::size_t seeThrough = 0;
        for (std::size_t at = 3; at < renderer.lastFrame.size(); at += 4) seeThrough += renderer.lastFrame[at] != 255;
        EXPECT_EQ(seeThrough, 0u) << "mode " << mode;
    }
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // rows top first

    std::uint8_t channel(int row, int column, int k) const {
        return rgba[static_cast<std::size_t>((row * width + column) * 4 + k)];
    }
};

Image readPng(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Image image;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return image;
    png.format = PNG_FORMAT_RGBA;
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) == 0) return image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    return image;
}

TEST(ViewerCommandLine, RunsTheFramesAskedForAndWritesTheLastOneAsPng) {
    const std::string shot = testsupport::tempPath("shot.png");
    const auto result = testsupport::runProcess(
        {testsupport::viewerBinary(), "--frames", "5", "--screenshot", shot, upperTriangleLevel()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_THAT(result.out, MatchesRegex("frames: 5 mean_ms: [0-9]+\\.[0-9]+\n"));

    const Image image = readPng(shot);
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);
    // The triangle's inside, filled in red at a tenth of full strength and
    // added to the black; the lower half stays black.
    EXPECT_NEAR(image.channel(191, 400, 0), 25.5, 1.5);
    EXPECT_EQ(image.channel(191, 400, 1), 0);
    EXPECT_EQ(image.channel(191, 400, 3), 255);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(image.channel(450, 400, k), 0);
}

TEST(ViewerCommandLine, ReportsAScreenshotItCannotWrite) {
    const std::string shot = testsupport::tempPath("no-such-directory/shot.png");
    const auto result = testsupport::runProcess(
        {testsupport::viewerBinary(), "--frames", "1", "--screenshot", shot, upperTriangleLevel()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "ERROR: Could not write screenshot file '" + shot + "'.\n");
    EXPECT_THAT(result.out, MatchesRegex("frames: 1 mean_ms: [0-9]+\\.[0-9]+\n"));
}

// The level path names no file: had the viewer read it, it would say so.
TEST(ViewerCommandLine, WithoutAnOpenGLVideoModeExitsWithOneBeforeReadingTheLevel) {
    const auto result = testsupport::runProcess(
        {"/usr/bin/env", "SDL_VIDEODRIVER=dummy", testsupport::viewerBinary(), "--frames", "1",
         testsupport::tempPath("missing.d3dbsp")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

}  // namespace
