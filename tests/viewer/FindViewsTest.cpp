#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CameraPlacement.h"
#include "FindLevel.h"
#include "PanelText.h"
#include "SavedViews.h"
#include "WindowEvents.h"

// The find prompt and the saved views, as SDL events to a viewer in a real
// window.

namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class FindAndViews : public ViewerWindow {
protected:
    FindAndViews() : ViewerWindow({201, 151}) {
        fs::remove_all(stateHome);
        show(levelPath);
        renderer.savedViews = &views;
        leavePointerFree();
    }

    // A press (and its release) as the keyboard gives them: the character
    // typed comes with the press.
    void key(SDLKey sym, char typed = 0, SDLMod modifiers = KMOD_NONE, bool release = true) {
        pushKey(sym, true, modifiers, typed);
        if (release) pushKey(sym, false, modifiers);
        renderer.handleInput();
    }
    void type(const std::string& text) {
        for (const char c : text) key(static_cast<SDLKey>(c), c);
    }

    // White pixels above the bottom strip where the prompt is.
    long whiteAboveThePrompt() {
        const std::vector<RgbPixel> pixels = picture();
        return std::count(pixels.begin() + 50 * 201, pixels.end(), RgbPixel{255, 255, 255});
    }

    const std::string stateHome = testsupport::tempPath("state");
    const bool stateHomeSet = setenv("XDG_STATE_HOME", stateHome.c_str(), 1) == 0;
    const fs::path viewsFile = fs::path(stateHome) / "orvandel" / "views.json";
    const std::string levelPath = testsupport::writeLevel("find.d3dbsp", testsupport::findLevelContents());
    SavedViews views{savedViewsPath(), levelPath};
};

// While the prompt is open the keys type, Backspace takes back, Escape only
// closes it; a fly key held when it opened flies no more, and one pressed
// while it was open does not fly backward when let go after.
TEST_F(FindAndViews, ThePromptTakesTheKeysSoTheyNeitherFlyNorQuit) {
    key(SDLK_w, 'w', KMOD_NONE, false);
    EXPECT_EQ(renderer.controls.moveForward, 1);
    key(SDLK_SLASH, '/');
    EXPECT_TRUE(renderer.view.find.open);
    EXPECT_EQ(renderer.controls.moveForward, 0);
    type("wAsd");
    key(SDLK_e, 'e', KMOD_NONE, false);
    EXPECT_EQ(renderer.view.find.text, "wAsde");
    key(SDLK_BACKSPACE, '\b');
    EXPECT_EQ(renderer.view.find.text, "wAsd");
    EXPECT_EQ(std::make_tuple(renderer.controls.moveForward, renderer.controls.moveSideways,
                              renderer.controls.moveVertical),
              std::make_tuple(0, 0, 0));
    key(SDLK_ESCAPE, 27);
    EXPECT_FALSE(renderer.view.find.open);
    EXPECT_TRUE(renderer.running);
    pushKey(SDLK_e, false);
    renderer.handleInput();
    EXPECT_EQ(renderer.controls.moveVertical, 0);
    key(SDLK_w, 'w', KMOD_NONE, false);
    EXPECT_EQ(renderer.controls.moveForward, 1);
    key(SDLK_ESCAPE, 27);
    EXPECT_FALSE(renderer.running);
}

// Enter goes round the matches, Shift+Enter back; an entity is looked at as
// j does, a material from 256 units in front of its nearest triangle.
TEST_F(FindAndViews, EnterStepsThroughTheMatchesAndTheCameraGoesToEach) {
    key(SDLK_SLASH, '/');
    type("ALARM");
    EXPECT_EQ(findPromptLine(renderer.view.find), "/ALARM_");
    key(SDLK_RETURN, '\r');
    EXPECT_EQ(findPromptLine(renderer.view.find), "/ALARM_   1 of 4: target_speaker (alarm3)");
    EXPECT_EQ(renderer.view.selectedEntity, 1);
    const auto looking = positionLookingAt({0, 50, 0}, renderer.view.cameraYaw, renderer.view.cameraPitch, 128.0);
    for (std::size_t axis = 0; axis < 3; ++axis) EXPECT_NEAR(renderer.view.cameraPos[axis], looking[axis], 1e-9);

    key(SDLK_RETURN, '\r', KMOD_LSHIFT);
    EXPECT_EQ(findPromptLine(renderer.view.find), "/ALARM_   4 of 4: unused/alarmish  (nothing to go to)");
    key(SDLK_RETURN, '\r', KMOD_LSHIFT);
    EXPECT_EQ(findPromptLine(renderer.view.find), "/ALARM_   3 of 4: common/Alarm_Panel");
    const View& view = renderer.view;
    EXPECT_NEAR(view.cameraPos[0], 0.0, 1e-9);
    EXPECT_NEAR(view.cameraPos[1], 100.0 - 256.0, 1e-9);
    EXPECT_NEAR(view.cameraPos[2], -10.0 / 3, 1e-6);
    EXPECT_NEAR(view.cameraYaw, 0.0, 1e-12);
    EXPECT_NEAR(view.cameraPitch, 0.0, 1e-12);
    EXPECT_EQ(view.find.material, 0);

    // The wall's outline shows while the prompt is open.
    EXPECT_GT(whiteAboveThePrompt(), 20);
    key(SDLK_ESCAPE, 27);
    EXPECT_EQ(whiteAboveThePrompt(), 0);

    key(SDLK_SLASH, '/');
    type("nowhere");
    key(SDLK_KP_ENTER, '\r');
    EXPECT_EQ(findPromptLine(renderer.view.find), "/nowhere_   no match");
}

// Ctrl+N saves, N goes back, exactly; another run finds the views in the
// file, keyed by the level's absolute path. Nothing is written before a save.
TEST_F(FindAndViews, ViewsAreSavedRecalledAndKeptAcrossRuns) {
    key(SDLK_1, '1');
    EXPECT_FALSE(fs::exists(viewsFile));
    const auto saved = std::make_tuple(std::array<double, 3>{1.0 / 3, -2e7, 0.1}, 0.7, -0.3);
    cameraPose() = saved;
    renderer.view.look = Look::baked;
    key(SDLK_3, 0, KMOD_LCTRL);
    ASSERT_TRUE(fs::exists(viewsFile));
    cameraPose() = std::make_tuple(std::array<double, 3>{0, 0, 0}, 0.0, 0.0);
    renderer.view.look = Look::classic;
    key(SDLK_2, '2');
    EXPECT_EQ(renderer.view.cameraPos, (std::array<double, 3>{0, 0, 0}));
    key(SDLK_3, '3');
    EXPECT_EQ(cameraPose(), saved);
    EXPECT_EQ(renderer.view.look, Look::baked);

    SavedViews nextRun(savedViewsPath(), levelPath);
    const auto inFile = nextRun.get(3);
    ASSERT_TRUE(inFile);
    EXPECT_EQ(inFile->position, std::get<0>(saved));
    EXPECT_FALSE(nextRun.get(1));
    SavedViews otherLevel(savedViewsPath(), levelPath + "x");
    EXPECT_FALSE(otherLevel.get(3));
    // Its save keeps the first level's.
    otherLevel.save(1, {});
    EXPECT_TRUE(SavedViews(savedViewsPath(), levelPath).get(3));
    EXPECT_THAT(fileBytes(viewsFile), ::testing::HasSubstr(fs::absolute(levelPath).lexically_normal().string()));
    EXPECT_EQ(savedViewsPath(), viewsFile);
}

TEST_F(FindAndViews, ACorruptFileIsLeftByteForByteAndViewsGoOnInMemory) {
    fs::create_directories(viewsFile.parent_path());
    const std::string corrupt = "{\"levels\": [1, 2";
    std::ofstream(viewsFile, std::ios::binary) << corrupt;
    ::testing::internal::CaptureStderr();
    renderer.view.cameraPos = {5, 6, 7};
    key(SDLK_1, 0, KMOD_RCTRL);
    renderer.view.cameraPos = {8, 9, 10};
    key(SDLK_2, 0, KMOD_LCTRL);
    key(SDLK_1, '1');
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "WARNING: Could not read the saved views file '" + viewsFile.string() +
                  "'; it is left as it is, and views are kept for this session only.\n");
    EXPECT_EQ(renderer.view.cameraPos, (std::array<double, 3>{5, 6, 7}));
    EXPECT_EQ(fileBytes(viewsFile), corrupt);
    EXPECT_EQ(std::distance(fs::directory_iterator(viewsFile.parent_path()), fs::directory_iterator()), 1);
}

}  // namespace
