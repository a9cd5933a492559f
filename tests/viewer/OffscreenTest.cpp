#include <GL/gl.h>
#include <SDL.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <tuple>

#include "BSP.h"
#include "FrameTimer.h"
#include "Look.h"
#include "Png.h"
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
    renderer.view.look = view.look;
    renderer.view.renderMode = static_cast<RenderMode>(view.mode);
    renderer.view.showPlanePoints = view.passes.find('p') != std::string::npos && !view.single;
    renderer.view.singlePlane = renderer.view.singleGroup = view.single;
    renderer.view.selectedGroup = renderer.view.selectedPlane = view.single ? 3 : 0;
    renderer.view.showFilled = view.passes.find('f') != std::string::npos;
    renderer.view.showWireframe = view.passes.find('w') != std::string::npos;
    renderer.view.showCornerPoints = view.passes.find('c') != std::string::npos;
    renderer.view.overlayVisible = view.page != 0;
    renderer.view.overlayPage = view.page;
    renderer.view.drawPath = view.path;
}

// The framebuffer's sizes and the state the GL set-up leaves.
std::map<GLenum, std::array<GLfloat, 16>> startingState() {
    std::map<GLenum, std::array<GLfloat, 16>> state;
    for (const GLenum name :
         {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS, GL_SAMPLES,
          GL_VIEWPORT, GL_COLOR_CLEAR_VALUE, GL_DEPTH_CLEAR_VALUE, GL_DEPTH_FUNC, GL_BLEND, GL_BLEND_SRC, GL_BLEND_DST,
          GL_DEPTH_TEST, GL_POINT_SMOOTH, GL_LINE_SMOOTH, GL_SHADE_MODEL, GL_PERSPECTIVE_CORRECTION_HINT,
          GL_POINT_SIZE, GL_LINE_WIDTH, GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D, GL_CURRENT_COLOR, GL_PROJECTION_MATRIX})
        glGetFloatv(name, state[name].data());
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
    Renderer renderer({width, height}, false, kind);
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
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO) != 0, kind == SurfaceKind::window) << "offscreen needs no SDL video";
    shutdownVideo();
    return drawn;
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
        const Frame& frame = window.frames[k];
        const auto at = std::mismatch(frame.begin(), frame.end(), offscreen.frames[k].begin()).first - frame.begin();
        EXPECT_EQ(at, width * height * 4) << "first difference in column " << at / 4 % width << ", row "
                                          << at / 4 / width << " from the bottom";
        EXPECT_NE(std::count(frame.begin(), frame.end(), 0), width * height * 3) << "nothing drawn";
    }
}

// The picture written by a run of the viewer with these arguments and
// options, which must end well with nothing but `err` said.
Image shot(std::vector<std::string> argv, const std::vector<std::string>& options, const std::string& err = "") {
    const std::string path = tempPath("shot.png");
    std::remove(path.c_str());
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"--screenshot", path});
    const ProcessResult run = runProcess(argv);
    EXPECT_EQ(std::tie(run.exitStatus, run.err), std::make_tuple(0, err)) << ::testing::PrintToString(argv);
    return readPng(path);
}

// The program as a user runs it: once in a window, once with no display at
// all. The panels of these pages tell no times, which differ from run to run.
TEST(Offscreen, TheProgramWritesTheWindowsPictureWithNoDisplayAtAll) {
    ASSERT_TRUE(holdDisplay());
    const std::string level = generatedLevel({"demo"});
    const std::string fullscreen = writeTemp("fullscreen.txt", "width=300\nheight=200\nfullscreen=1\n");
    const std::tuple<std::vector<std::string>, unsigned, unsigned> cases[] = {
        {{}, 800, 600},
        {{"--panel", "2", "--camera", "fit", "--no-watch"}, 800, 600},
        {{"--camera", "spawn:2", "--draw", "immediate", "--size", "333,217"}, 333, 217},
        {{"--camera", "-300,-500,200,30,-20", "--size", "97"}, 97, 97},
        {{"--look", "shaded", "--camera", "fit", "--size", "256"}, 256, 256},
        {{"--look=normals", "--panel=2", "--camera", "spawn", "--size", "500,400"}, 500, 400},
        {{"--look", "textured", "--camera", "fit", "--size", "256"}, 256, 256},
        {{"--look", "shaded", "--camera", "fit", "--cull", "--size", "256"}, 256, 256},
        {{"--cull", "--draw", "immediate", "--panel", "2", "--size", "240"}, 240, 240},
        // Full screen means nothing without a screen; the size still holds.
        {{"--settings", fullscreen, "--camera", "fit"}, 300, 200},
    };
    for (const auto& [options, shotWidth, shotHeight] : cases) {
        const Image window = shot({viewerBinary(), level, "--frames", "2"}, options);
        const Image offscreen =
            shot({"/usr/bin/env", "-u", "DISPLAY", viewerBinary(), "--offscreen", level, "--frames", "2"}, options);
        for (const Image* picture : {&window, &offscreen})
            EXPECT_EQ(std::tie(picture->width, picture->height), std::tie(shotWidth, shotHeight));
        EXPECT_TRUE(window.rgba == offscreen.rgba) << ::testing::PrintToString(options);
        const auto lit = [](unsigned char c) { return c > 0 && c < 255; };
        EXPECT_GT(std::count_if(offscreen.rgba.begin(), offscreen.rgba.end(), lit), 1000) << "nothing drawn";
    }
}

// One-sided drawing asked for by the option or the settings file: the same
// picture on either drawing path, and not the picture drawn from both sides.
TEST(Offscreen, CullOptionOrSettingsKeyDrawsOneSidedOnEitherPath) {
    const std::string level = generatedLevel({"demo"});
    const std::string settings = writeTemp("cull.txt", "width=160\nheight=160\ncull=1\n");
    const std::vector<std::string> runs[] = {
        {}, {"--cull"}, {"--settings", settings}, {"--cull", "--draw", "immediate"}};
    std::vector<Image> pictures;
    for (const std::vector<std::string>& options : runs)
        pictures.push_back(shot({viewerBinary(), "--offscreen", "--frames", "1", "--camera", "fit", "--look", "shaded",
                                 "--size", "160", level},
                                options));
    EXPECT_FALSE(pictures[0].rgba == pictures[1].rgba);
    EXPECT_TRUE(pictures[1].rgba == pictures[2].rgba);
    EXPECT_TRUE(pictures[1].rgba == pictures[3].rgba);
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

// A folder of one image, textures/test/wall.png, all in one colour.
std::string assetsFolder(const std::string& name, const std::array<std::uint8_t, 3>& colour) {
    const std::string folder = tempPath(name);
    std::filesystem::create_directories(folder + "/textures/test");
    std::vector<std::uint8_t> texels;
    for (int k = 0; k < 16; ++k) texels.insert(texels.end(), {colour[0], colour[1], colour[2], 255});
    EXPECT_TRUE(writePng(folder + "/textures/test/wall.png", 4, 4, texels));
    return folder;
}

// A square of material textures/test/wall filling the view from the start.
Qor::LevelContents wallLevel() {
    Qor::LevelContents level;
    for (const auto& [x, z] : {std::pair(-80.0f, 80.0f), std::pair(80.0f, 80.0f), std::pair(80.0f, -80.0f),
                               std::pair(-80.0f, -80.0f)}) {
        Qor::Vertex& corner = level.vertices.emplace_back(Qor::Vertex{x, 100.0f, z});
        corner.texture = {(x + 80.0f) / 160.0f, (80.0f - z) / 160.0f};
    }
    level.textureGroups.push_back({0, 0, 4, 0, 6});
    level.triangles = {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 2, 3}}};
    level.materials.push_back({"textures/test/wall", 0, 1});
    return level;
}

TEST(Offscreen, ImagesComeFromTheLastAssetsGivenElseTheSettingsElseNearTheLevel) {
    const std::string red = assetsFolder("red", {255, 0, 0});
    const std::string green = assetsFolder("green", {0, 255, 0});
    const std::string level = writeLevel("wall.d3dbsp", wallLevel());
    const std::string settingsGreen = writeTemp("assets.txt", "width=64\nheight=64\n assets = " + green + " \n");
    // Beside its images, a level needs no option at all.
    const std::string near = assetsFolder("near", {0, 0, 255});
    std::filesystem::copy_file(level, near + "/wall.d3dbsp", std::filesystem::copy_options::overwrite_existing);
    const std::string missing = tempPath("no such folder");
    using Rgb = std::array<unsigned char, 3>;
    const std::tuple<std::string, std::vector<std::string>, Rgb, std::string> cases[] = {
        {level, {"--assets", red}, {255, 0, 0}, ""},
        {level, {"--assets", red, "--assets", green}, {0, 255, 0}, ""},
        {level, {"--assets", green, "--assets", red}, {255, 0, 0}, ""},
        {level, {"--settings", settingsGreen}, {0, 255, 0}, ""},
        {level, {"--settings", settingsGreen, "--assets", red}, {255, 0, 0}, ""},
        {near + "/wall.d3dbsp", {}, {0, 0, 255}, ""},
        {near + "/wall.d3dbsp", {"--assets", missing, "--assets", red}, {255, 0, 0},
         "WARNING: Could not open assets '" + missing + "'.\n"},
    };
    for (const auto& [levelPath, options, seen, err] : cases) {
        const Image picture = shot({"/usr/bin/env", "-u", "DISPLAY", viewerBinary(), "--offscreen", levelPath,
                                    "--frames", "1", "--look", "textured", "--size", "64"},
                                   options, err);
        ASSERT_EQ(picture.rgba.size(), 64u * 64u * 4u);
        // Off the outline of the square's diagonal.
        const std::size_t at = (16 * 64 + 48) * 4;
        EXPECT_EQ((Rgb{picture.rgba[at], picture.rgba[at + 1], picture.rgba[at + 2]}), seen)
            << ::testing::PrintToString(options);
    }
}

}  // namespace
