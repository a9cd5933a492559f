#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>

#include "FindLevel.h"
#include "SavedViews.h"

// --find and --camera view:N, as the program runs them without a display.

namespace {

namespace fs = std::filesystem;
using testsupport::runProcess;

class FindViewsRun : public ::testing::Test {
protected:
    FindViewsRun() { fs::remove_all(stateHome); }

    testsupport::ProcessResult run(std::vector<std::string> options) {
        std::vector<std::string> argv{testsupport::viewerBinary(), "--offscreen", "--frames", "1",
                                      "--size",                    "201,151",     "--pick",   "100,75"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(level);
        return runProcess(argv);
    }

    const std::string stateHome = testsupport::tempPath("run-state");
    const bool stateHomeSet = setenv("XDG_STATE_HOME", stateHome.c_str(), 1) == 0;
    const std::string level = testsupport::writeLevel("find-run.d3dbsp", testsupport::findLevelContents());
};

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The camera starts at the first match: the entity's marker, or the
// material's wall, lies under the window's centre. A run saves no views.
TEST_F(FindViewsRun, FindStartsTheCameraAtTheFirstMatch) {
    const auto speaker = run({"--entities", "--find", "SPEAKER"});
    EXPECT_EQ(speaker.exitStatus, 0) << speaker.err;
    EXPECT_THAT(speaker.out, ::testing::HasSubstr("entity 2 'target_speaker' at 0.00 42.00"));
    const auto wall = run({"--find", "panel"});
    EXPECT_EQ(wall.err, "");
    EXPECT_THAT(wall.out, ::testing::HasSubstr("material 'common/Alarm_Panel'"));
    EXPECT_THAT(wall.out, ::testing::HasSubstr("distance 256.00"));
    EXPECT_FALSE(fs::exists(stateHome));
}

// A view saved in one run is where --camera view:N starts the next. Finding
// nothing, or a slot never saved, warns and starts the camera as without.
TEST_F(FindViewsRun, CameraViewStartsAtTheSavedViewAndWhatIsNotThereWarns) {
    SavedViews(savedViewsPath(), level).save(2, {{0, -156, -10.0 / 3}, 0.0, 0.0, Look::shaded});
    const auto saved = run({"--camera", "view:2"});
    EXPECT_EQ(saved.err, "");
    EXPECT_THAT(saved.out, ::testing::HasSubstr("material 'common/Alarm_Panel'"));
    EXPECT_THAT(saved.out, ::testing::HasSubstr("distance 256.00"));
    const std::string without = firstLine(run({}).out);
    const std::pair<std::vector<std::string>, std::string> missing[] = {
        {{"--find", "zebra"},
         "WARNING: Nothing in the level matches 'zebra'; the camera starts where it would without --find.\n"},
        {{"--camera", "view:5"},
         "WARNING: View '5' was asked for, but none is saved for this level; the camera starts at the origin.\n"}};
    for (const auto& [options, warning] : missing) {
        const auto result = run(options);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.err, warning);
        EXPECT_EQ(firstLine(result.out), without);
    }
}

}  // namespace
