#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "Settings.h"
#include "TestSupport.h"

namespace {

using namespace testsupport;

// The size, the full-screen flag, one-sided drawing and the messages
// readSettings leaves.
using Outcome = std::tuple<ScreenSize, bool, bool, std::string>;

// Starts from values no file would give, so that every output the reader writes shows.
Outcome readFile(const std::string& path, std::vector<std::string>* hidePatterns = nullptr) {
    ScreenSize size{-7, -9};
    bool fullscreen = true;
    bool cull = true;
    testing::internal::CaptureStderr();
    readSettings(path, size, fullscreen, cull, hidePatterns);
    return {size, fullscreen, cull, testing::internal::GetCapturedStderr()};
}

TEST(SettingsFile, StartsFrom1024By768WindowedAndAppliesEachKeyValuePair) {
    const std::tuple<const char*, ScreenSize, bool, bool> cases[] = {
        {"", {1024, 768}, false, false},
        {"width=1280\r\n\r\nheight=1024\r\nfullscreen=1", {1280, 1024}, true, false},
        {"width=1280\n\nheight=1024\nfullscreen=1", {1280, 1024}, true, false},
        {"width=1280\r\rheight=1024\rfullscreen=1", {1280, 1024}, true, false},
        {"Width=1280\nwidth 1280\nFULLSCREEN=1", {1024, 768}, false, false},
        {"a = wid th = 12 80 \nheight=800=600\nheight==7", {1280, 800}, false, false},
        {"width=1\nwidth=800px\nheight=-2\nheight=abc\nfullscreen=0", {800, -2}, false, false},
        {"width=1280\nwidth=2147483648\nheight=-2147483649\nfullscreen=x1", {1280, 768}, false, false},
        {"fullscreen=-3\nfullscreen=0", {1024, 768}, true, false},
        // One-sided drawing: the last line wins, either way.
        {"cull = 1", {1024, 768}, false, true},
        {"cull=1\ncull=0", {1024, 768}, false, false},
        {"cull=0\ncull=-2\ncull=on", {1024, 768}, false, true},
    };
    for (const auto& [text, size, fullscreen, cull] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(readFile(writeTemp("settings.txt", text)), Outcome(size, fullscreen, cull, ""));
    }
}

// Every hide line adds its pattern, spaces dropped as for every key; its
// value is text, so it is taken whole, and it changes nothing else.
TEST(SettingsFile, EachHideLineAddsAPatternOfMaterialNames) {
    const std::string path =
        writeTemp("hide.settings", "width=640\r\nhide = textures/skies/*\nHIDE=x\nhide=\nhide=*Caulk?\rheight=480\n");
    std::vector<std::string> patterns{"from --settings before"};
    EXPECT_EQ(readFile(path, &patterns), Outcome(ScreenSize{640, 480}, false, false, ""));
    EXPECT_EQ(patterns, (std::vector<std::string>{"from --settings before", "textures/skies/*", "*Caulk?"}));
    // Without a place for them the patterns are read past.
    EXPECT_EQ(readFile(path), Outcome(ScreenSize{640, 480}, false, false, ""));
}

TEST(SettingsFile, LeavesTheCallersValuesWhenTheFileCannotBeOpenedOrRead) {
    const std::string missing = tempPath("absent.txt");
    EXPECT_EQ(readFile(missing),
              Outcome({-7, -9}, true, true, "ERROR: Could not open settings file '" + missing + "'.\n"));
    EXPECT_EQ(readFile(tempPath("")),
              Outcome({-7, -9}, true, true, "ERROR: Could not read settings file '" + tempPath("") + "'.\n"));
}

TEST(WindowSize, AllowsEachSideFrom1To16384) {
    EXPECT_TRUE(windowSizeAllowed({1, 16384}) && windowSizeAllowed({16384, 1}));
    EXPECT_FALSE(windowSizeAllowed({0, 600}) || windowSizeAllowed({800, 16385}));
}

std::string emptyLevel() { return writeLevel("empty.d3dbsp", Qor::LevelContents{}); }

// Offscreen, so that no display is needed: the size is the picture's. (A
// window takes the settings file's size as the offscreen buffer does: the
// offscreen tests compare the two.)
TEST(SizeOption, WinsOverTheSettingsFileAndIsRefusedWhereTheFilesWouldBe) {
    const std::string shot = tempPath("size.png");
    const std::string settings = writeTemp("sized.txt", "width=640\nheight=-480");
    const std::string refusal = "' pixels; width and height must lie between '1' and '16384'.\n";
    const std::tuple<std::vector<std::string>, int, std::string, ScreenSize> cases[] = {
        {{"--settings", settings, "--size", "31"}, 0, "", {31, 31}},
        {{"--size", "0"}, 2, "ERROR: Option '--size' asks for a window of '0' by '0" + refusal, {}},
        {{"--size", "16385,1"}, 2, "ERROR: Option '--size' asks for a window of '16385' by '1" + refusal, {}},
        {{"--size", "16384,-1", "--settings", settings}, 2,
         "ERROR: Option '--size' asks for a window of '16384' by '-1" + refusal, {}},
    };
    for (const auto& [options, exitStatus, err, size] : cases) {
        SCOPED_TRACE(testing::PrintToString(options));
        std::remove(shot.c_str());
        std::vector<std::string> argv = {"/usr/bin/env", "-u", "DISPLAY", viewerBinary(), emptyLevel(),
                                         "--offscreen", "--frames", "1", "--screenshot", shot};
        argv.insert(argv.end(), options.begin(), options.end());
        const ProcessResult result = runProcess(argv);
        EXPECT_EQ(std::tie(result.exitStatus, result.err), std::tie(exitStatus, err));
        const Image picture = readPng(shot);
        EXPECT_EQ(ScreenSize(static_cast<std::int32_t>(picture.width), static_cast<std::int32_t>(picture.height)),
                  size);
    }
}

// The tests usually run as root, who may write any file, so the viewer runs as
// a user who may not write the settings file. Without a display no window can
// open (exit status 1), so status 2 and the message show that the file was read
// and the size refused first.
TEST(SettingsOption, ReadsAUsersReadOnlyFileAndRefusesASizeNoWindowCanHaveBeforeOpeningOne) {
    const std::string settings = writeTemp("bad.txt", "width=640\nheight=-480");
    ASSERT_EQ(chmod(settings.c_str(), 0444), 0);
    ASSERT_EQ(chmod(tempPath("").c_str(), 0711), 0);
    const std::string user = "--reuid=" + std::to_string(geteuid() == 0 ? 65534 : geteuid());
    const auto result = runProcess({"/usr/bin/setpriv", user, "/usr/bin/env", "-u", "DISPLAY", viewerBinary(),
                                    "--settings", settings, emptyLevel(), "--frames", "1"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "ERROR: Settings file '" + settings +
                              "' asks for a window of '640' by '-480' pixels; width and height must lie "
                              "between '1' and '16384'.\n");
}

}  // namespace
