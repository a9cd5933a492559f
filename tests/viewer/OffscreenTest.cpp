#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "FrameTimer.h"
#include "GlyphAtlas.h"
#include "Look.h"
#include "PanelText.h"
#include "Renderer.h"
#include "TestSupport.h"

// Frames drawn into the offscreen buffer must be the window's, byte for
// byte: the same Mesa draws both, into buffers of the same sizes.

namespace {

using namespace testsupport;
using Frame = std::vector<std::uint8_t>;  // RGBA, rows bottom first as GL reads them

constexpr int width = 320;
constexpr int height = 240;

// What the keys would set for one frame.
struct View {
    Look look;
    std::uint32_t mode;
    std::string passes;  // p plane points, f fill, w outlines, c corners
    std::int32_t page;   // the panel page shown, 0 for none
    DrawPath path;
    bool single;  // one texture group and one plane
};

std::vector<View> everyView() {
    std::vector<View> views;
    for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals})
        for (const std::uint32_t mode : {0u, 1u, 2u})
            for (const char* passes : {"fwc", "f", "w", "c", "p"})
                if (look == Look::classic || passes == std::string("fwc") || passes == std::string("f"))
                    views.push_back({look, mode, passes, 0, DrawPath::buffered, false});
    for (const std::int32_t page : {1, 2, 3})
        views.push_back({Look::classic, 2, "fwc", page, DrawPath::buffered, false});
    views.push_back({Look::shaded, 2, "fwc", 2, DrawPath::buffered, false});
    views.push_back({Look::classic, 0, "pfwc", 0, DrawPath::immediate, false});
    views.push_back({Look::baked, 1, "pfwc", 3, DrawPath::immediate, true});
    views.push_back({Look::normals, 0, "pfwc", 0, DrawPath::buffered, true});
    return views;
}

void apply(Renderer& renderer, const View& view) {
    renderer.look = view.look;
    renderer.renderMode = view.mode;
    renderer.showPlanePoints = view.passes.find('p') != std::string::npos && !view.single;
    renderer.singlePlane = renderer.singleGroup = view.single;
    renderer.selectedGroup = renderer.selectedPlane = view.single ? 3 : 0;
    renderer.showFilled = view.passes.find('f') != std::string::npos;
    renderer.showWireframe = view.passes.find('w') != std::string::npos;
    renderer.showCornerPoints = view.passes.find('c') != std::string::npos;
    renderer.overlayVisible = view.page != 0;
    renderer.overlayPage = view.page;
    renderer.drawPath = view.path;
}

// The framebuffer's sizes and the state the GL set-up leaves.
std::map<GLenum, std::array<GLfloat, 16>> startingState() {
    std::map<GLenum, std::array<GLfloat, 16>> state;
    const std::initializer_list<GLenum> names = {
        GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS, GL_SAMPLES,
        GL_VIEWPORT, GL_COLOR_CLEAR_VALUE, GL_DEPTH_CLEAR_VALUE, GL_DEPTH_FUNC, GL_BLEND, GL_BLEND_SRC, GL_BLEND_DST,
        GL_DEPTH_TEST, GL_POINT_SMOOTH, GL_LINE_SMOOTH, GL_SHADE_MODEL, GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SIZE,
        GL_LINE_WIDTH, GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D, GL_CURRENT_COLOR, GL_PROJECTION_MATRIX};
    for (const GLenum name : names) glGetFloatv(name, state[name].data());
    return state;
}

struct Drawn {
    std::string version;  // GL_VERSION: the profile, and which Mesa
    std::map<GLenum, std::array<GLfloat, 16>> state;
    std::vector<Frame> frames;
};

// Each view drawn by one viewer of this kind, as the run loop draws a frame
// and read back before the frame ends; the frame timer is put back to its
// start before each, so that the view page's times read the same.
Drawn drawViews(SurfaceKind kind, const std::string& levelPath) {
    Renderer renderer("", {width, height}, false, kind);
    Drawn drawn;
    drawn.version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    drawn.state = startingState();
    Qor::BSP level("", levelPath.c_str());
    renderer.setLevel(&level);
    renderer.fitLevel();
    for (const View& view : everyView()) {
        apply(renderer, view);
        frameTimer.historyPos = 0;
        frameTimer.historyFull = false;
        clearFrame();
        renderer.drawFrame();
        Frame& frame = drawn.frames.emplace_back(width * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        endFrame();
    }
    // No pointer to follow: mouse look stays on and turns nothing.
    const double yaw = renderer.cameraYaw;
    const double pitch = renderer.cameraPitch;
    renderer.handleInput();
    EXPECT_TRUE(renderer.mouseLook);
    if (kind == SurfaceKind::offscreen) {
        EXPECT_EQ(std::make_pair(renderer.cameraYaw, renderer.cameraPitch), std::make_pair(yaw, pitch));
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "offscreen needs no SDL video";
    }
    shutdownVideo();
    return drawn;
}

std::string firstDifference(const Frame& a, const Frame& b) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    const auto at = static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
    if (at == a.size()) return "none";
    const std::size_t pixel = at / 4;
    return "column " + std::to_string(pixel % width) + ", row " + std::to_string(pixel / width) + " from the bottom";
}

TEST(Offscreen, DrawsEveryLookModePassAndPanelPageAsTheWindowDoesFromTheSameStart) {
    ASSERT_TRUE(holdDisplay());
    const std::string level = generatedLevel({"demo"});
    const Drawn window = drawViews(SurfaceKind::window, level);
    const Drawn offscreen = drawViews(SurfaceKind::offscreen, level);
    EXPECT_THAT(offscreen.version, ::testing::HasSubstr("Compatibility Profile"));
    EXPECT_EQ(offscreen.version, window.version);
    EXPECT_EQ(offscreen.state, window.state);
    const std::vector<View> views = everyView();
    ASSERT_EQ(offscreen.frames.size(), views.size());
    ASSERT_EQ(window.frames.size(), views.size());
    for (std::size_t k = 0; k < views.size(); ++k) {
        const View& view = views[k];
        SCOPED_TRACE(::testing::Message() << lookName(view.look) << ", mode " << view.mode << " '" << view.passes
                                          << "', page " << view.page
                                          << (view.path == DrawPath::immediate ? ", immediate" : "")
                                          << (view.single ? ", single" : ""));
        EXPECT_EQ(firstDifference(offscreen.frames[k], window.frames[k]), "none");
        EXPECT_NE(std::count(window.frames[k].begin(), window.frames[k].end(), 0), width * height * 3)
            << "nothing drawn";
    }
}

// The pixel rows of the panel's lines that tell times, which differ from run
// to run: the load time on page 1, the frame rate and time on page 3.
std::vector<std::pair<int, int>> timingRows(const std::string& levelPath, std::int32_t page, int screenWidth,
                                            int screenHeight) {
    const Renderer probe("", {screenWidth, screenHeight}, false, SurfaceKind::offscreen);
    const GlyphAtlas atlas = loadGlyphAtlas(panelTextPixels);
    shutdownVideo();
    const Qor::BSP level("", levelPath.c_str());
    PanelState state;
    state.level = &level;
    const std::vector<std::string> lines = panelPage(page, state);
    const PanelLayout layout = layoutPanel(lines, atlas.advance, atlas.lineHeight, screenWidth, screenHeight);
    std::vector<std::pair<int, int>> rows;
    for (std::size_t line = 0; line < layout.lines; ++line)
        for (const char* timing : {"load time", "frames per second", "frame time"})
            if (lines[line].rfind(timing, 0) == 0) {
                const int top = layout.textY + static_cast<int>(line) * atlas.lineHeight;
                rows.emplace_back(top, top + atlas.lineHeight);
            }
    return rows;
}

// The program as a user runs it: once in a window, once with no display at
// all. Pages 1 and 3 are compared outside their timing rows.
TEST(Offscreen, TheProgramWritesTheWindowsPictureWithNoDisplayAtAll) {
    ASSERT_TRUE(holdDisplay());
    const std::string level = generatedLevel({"demo"});
    const std::string fullscreen = writeTemp("fullscreen.txt", "width=300\nheight=200\nfullscreen=1\n");
    const std::tuple<std::vector<std::string>, unsigned, unsigned, std::int32_t> cases[] = {
        {{}, 800, 600, 0},
        {{"--panel", "1", "--no-watch"}, 800, 600, 1},
        {{"--panel", "2", "--camera", "fit"}, 800, 600, 2},
        {{"--panel=3", "--camera", "spawn:2", "--size", "640,480"}, 640, 480, 3},
        {{"--camera", "fit", "--draw", "immediate", "--size", "333,217"}, 333, 217, 0},
        {{"--camera", "-300,-500,200,30,-20", "--size", "97"}, 97, 97, 0},
        {{"--look", "shaded", "--camera", "fit", "--size", "256"}, 256, 256, 0},
        {{"--look", "baked", "--panel", "2", "--camera", "spawn"}, 800, 600, 2},
        {{"--look=normals", "--draw", "immediate", "--panel", "3", "--size", "500,400"}, 500, 400, 3},
        // Full screen means nothing without a screen; the size still holds.
        {{"--settings", fullscreen, "--camera", "fit"}, 300, 200, 0},
    };
    for (const auto& [options, shotWidth, shotHeight, page] : cases) {
        SCOPED_TRACE(::testing::PrintToString(options));
        Image pictures[2];
        for (const bool offscreen : {false, true}) {
            const std::string shot = tempPath(offscreen ? "offscreen.png" : "window.png");
            std::vector<std::string> argv = {"/usr/bin/env"};
            if (offscreen) argv.insert(argv.end(), {"-u", "DISPLAY", viewerBinary(), "--offscreen"});
            else argv.push_back(viewerBinary());
            argv.insert(argv.end(), {level, "--frames", "2", "--screenshot", shot});
            argv.insert(argv.end(), options.begin(), options.end());
            const ProcessResult run = runProcess(argv);
            EXPECT_EQ(std::tie(run.exitStatus, run.err), std::make_tuple(0, std::string())) << offscreen;
            pictures[offscreen] = readPng(shot);
        }
        ASSERT_EQ(std::tie(pictures[1].width, pictures[1].height), std::tie(shotWidth, shotHeight));
        ASSERT_EQ(std::tie(pictures[0].width, pictures[0].height), std::tie(shotWidth, shotHeight));
        const auto masked = timingRows(level, page, static_cast<int>(shotWidth), static_cast<int>(shotHeight));
        EXPECT_EQ(masked.size(), page == 1 ? 1u : page == 3 ? 2u : 0u);
        std::size_t compared = 0;
        for (unsigned row = 0; row < shotHeight; ++row) {
            const bool timing = std::any_of(masked.begin(), masked.end(), [&](const std::pair<int, int>& rows) {
                return static_cast<int>(row) >= rows.first && static_cast<int>(row) < rows.second;
            });
            if (timing) continue;
            const std::size_t begin = row * shotWidth * 4;
            ASSERT_TRUE(std::equal(pictures[0].rgba.begin() + static_cast<long>(begin),
                                   pictures[0].rgba.begin() + static_cast<long>(begin + shotWidth * 4),
                                   pictures[1].rgba.begin() + static_cast<long>(begin)))
                << "row " << row << " from the top";
            ++compared;
        }
        EXPECT_GT(compared, shotHeight * 9 / 10);
        const auto lit = [](unsigned char c) { return c > 0 && c < 255; };
        EXPECT_GT(std::count_if(pictures[1].rgba.begin(), pictures[1].rgba.end(), lit), 1000) << "nothing drawn";
    }
}

// A run that cannot get its buffer says why in one line; the vendor list of
// an EGL without any driver stands in for a machine without Mesa.
TEST(Offscreen, SaysWhyWhenItGetsNoContextAndExitsOne) {
    const std::string level = generatedLevel({"demo"});
    const ProcessResult result =
        runProcess({"/usr/bin/env", "-u", "DISPLAY", "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent", viewerBinary(),
                    "--offscreen", "--frames", "1", "--size", "320,240", level});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "ERROR: Could not open an offscreen buffer of '320' by '240' pixels: 'EGL offers no surfaceless "
              "platform'.\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
