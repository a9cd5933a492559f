#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Settings.h"
#include "TestSupport.h"

namespace {

// What readSettings leaves, starting from values no file would give, so that
// every output the reader writes shows.
struct Outcome {
    ScreenSize size{-7, -9};
    bool fullscreen = true;
    std::string messages;
};

Outcome readFile(const std::string& path) {
    Outcome outcome;
    testing::internal::CaptureStderr();
    readSettings(path, outcome.size, outcome.fullscreen);
    outcome.messages = testing::internal::GetCapturedStderr();
    return outcome;
}

Outcome readText(const std::string& text) { return readFile(testsupport::writeTemp("settings.txt", text)); }

std::int32_t widthFrom(const std::string& text) { return readText(text).size.first; }

TEST(SettingsFile, EmptyFileGives1024By768Windowed) {
    const Outcome outcome = readText("");
    EXPECT_EQ(outcome.size, ScreenSize(1024, 768));
    EXPECT_FALSE(outcome.fullscreen);
    EXPECT_EQ(outcome.messages, "");
}

TEST(SettingsFile, ReadsTheThreeKeysWithCrLfLfOrCrLineEnds) {
    for (const char* name : {"CR LF", "LF", "CR"}) {
        SCOPED_TRACE(name);
        const std::string kind = name;
        const std::string end = kind == "CR LF" ? "\r\n" : kind == "LF" ? "\n" : "\r";
        const Outcome outcome = readText("width=1280" + end + end + "height=1024" + end + "fullscreen=1");
        EXPECT_EQ(outcome.size, ScreenSize(1280, 1024));
        EXPECT_TRUE(outcome.fullscreen);
    }
}

TEST(SettingsFile, ComparesKeysExactly) {
    EXPECT_EQ(widthFrom("Width=1280"), 1024);
    EXPECT_EQ(widthFrom("width\t=1280"), 1024);
    EXPECT_FALSE(readText("FULLSCREEN=1").fullscreen);
}

TEST(SettingsFile, DropsEverySpaceInKeyAndValue) {
    EXPECT_EQ(widthFrom("width = 1280"), 1280);
    EXPECT_EQ(widthFrom("  wid th= 12 80  "), 1280);
}

TEST(SettingsFile, IgnoresALineWithoutEquals) { EXPECT_EQ(widthFrom("width 1280"), 1024); }

TEST(SettingsFile, PairsEachTwoNeighbouringTokens) {
    EXPECT_EQ(widthFrom("a=width=1280"), 1280);
    EXPECT_EQ(widthFrom("width=800=600"), 800);
    EXPECT_EQ(readText("height=width=640").size, ScreenSize(640, 768));
    EXPECT_EQ(widthFrom("width==640"), 1024);
    EXPECT_EQ(widthFrom("=width=640="), 640);
}

TEST(SettingsFile, TakesTheValuesLeadingSignedNumber) {
    EXPECT_EQ(widthFrom("width=800px"), 800);
    EXPECT_EQ(widthFrom("width=-640"), -640);
    EXPECT_EQ(widthFrom("width=+640"), 640);
    EXPECT_EQ(widthFrom("width=2147483647"), INT32_MAX);
    EXPECT_EQ(widthFrom("width=-2147483648"), INT32_MIN);
}

TEST(SettingsFile, KeepsTheEarlierValueWhenANumberIsMissingOrOutOfRange) {
    for (const char* value : {"abc", "px800", "-", "2147483648", "-2147483649", "99999999999999999999"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(readText(std::string("width=1280\nheight=960\nwidth=") + value + "\nheight=" + value).size,
                  ScreenSize(1280, 960));
        EXPECT_FALSE(readText(std::string("fullscreen=") + value).fullscreen);
    }
}

TEST(SettingsFile, LastWidthAndHeightWin) {
    EXPECT_EQ(readText("width=1\nheight=2\nwidth=3\nheight=4\n").size, ScreenSize(3, 4));
}

TEST(SettingsFile, FullScreenStaysOnOnceAnyNonZeroValueSetsIt) {
    EXPECT_TRUE(readText("fullscreen=1\nfullscreen=0\n").fullscreen);
    EXPECT_TRUE(readText("fullscreen=-3").fullscreen);
    EXPECT_FALSE(readText("fullscreen=0").fullscreen);
}

TEST(SettingsFile, MissingFileLeavesTheCallersValues) {
    const std::string path = testsupport::tempPath("no-such-settings.txt");
    const Outcome outcome = readFile(path);
    EXPECT_EQ(outcome.messages, "ERROR: Could not open settings file '" + path + "'.\n");
    EXPECT_EQ(outcome.size, Outcome().size);
    EXPECT_TRUE(outcome.fullscreen);
}

TEST(SettingsFile, UnreadableFileLeavesTheCallersValues) {
    const std::string path = testsupport::tempPath("settings-directory");
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    const Outcome outcome = readFile(path);
    EXPECT_EQ(outcome.messages, "ERROR: Could not read settings file '" + path + "'.\n");
    EXPECT_EQ(outcome.size, Outcome().size);
    EXPECT_TRUE(outcome.fullscreen);
}

// The test process is usually root, who may write any file; a child that has
// given up its privileges sees the read-only file as a user does.
TEST(SettingsFile, ReadsAFileTheUserMayNotWrite) {
    char path[] = "/tmp/orvandel-readonly-settings-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "width=1280\nheight=1024\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    ASSERT_EQ(chmod(path, 0444), 0);

    enum Verdict { readAsUser = 0, privilegesKept, fileWritable, wrongValues, messageWritten };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const uid_t nobody = 65534;
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(privilegesKept);
        if (std::FILE* file = std::fopen(path, "rb+")) {
            std::fclose(file);
            _exit(fileWritable);
        }
        const Outcome outcome = readFile(path);
        if (!outcome.messages.empty()) _exit(messageWritten);
        _exit(outcome.size == ScreenSize(1280, 1024) && !outcome.fullscreen ? readAsUser : wrongValues);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    unlink(path);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), readAsUser);
}

TEST(WindowSize, AllowsEachSideFrom1To16384) {
    EXPECT_TRUE(windowSizeAllowed({1, 1}));
    EXPECT_TRUE(windowSizeAllowed({16384, 16384}));
    EXPECT_TRUE(windowSizeAllowed({800, 600}));
    for (const ScreenSize& size : {ScreenSize{0, 600}, ScreenSize{800, 0}, ScreenSize{-800, 600},
                                  ScreenSize{16385, 600}, ScreenSize{800, 16385}, ScreenSize{INT32_MIN, 600},
                                  ScreenSize{800, INT32_MAX}}) {
        SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
        EXPECT_FALSE(windowSizeAllowed(size));
    }
}

}  // namespace
