#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Renderer.h"
#include "TestSupport.h"

namespace {

using testsupport::runProcess;
using testsupport::viewerBinary;
using testsupport::writeTemp;

// Width and height from a PNG's header chunk; {0, 0} when the file is not a PNG.
ScreenSize pngSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    const std::string signature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || std::string(bytes.begin(), bytes.begin() + 8) != signature) return {0, 0};
    auto bigEndian = [&](std::size_t at) {
        return static_cast<std::int32_t>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
    };
    return {bigEndian(16), bigEndian(20)};
}

std::string emptyLevel() { return testsupport::writeLevel("empty.d3dbsp", Qor::LevelContents{}); }

// Runs the viewer for two frames with these extra arguments and returns the
// result and the size of the last frame it wrote.
struct Shown {
    testsupport::ProcessResult result;
    ScreenSize screenshot;
};

Shown showTwoFrames(const std::vector<std::string>& settingsArguments, const std::string& shotName) {
    const std::string shot = testsupport::tempPath(shotName);
    std::vector<std::string> argv{viewerBinary(), emptyLevel(), "--frames", "2", "--screenshot", shot};
    argv.insert(argv.end(), settingsArguments.begin(), settingsArguments.end());
    Shown shown{runProcess(argv), {0, 0}};
    shown.screenshot = pngSize(shot);
    return shown;
}

TEST(SettingsOption, OpensTheWindowAtTheFilesSize) {
    const std::string settings = writeTemp("640.txt", std::string("width=640\r\nheight=480\r\n"));
    const Shown shown = showTwoFrames({"--settings", settings}, "640.png");
    EXPECT_EQ(shown.result.exitStatus, 0);
    EXPECT_EQ(shown.result.err, "");
    EXPECT_EQ(shown.screenshot, ScreenSize(640, 480));
}

TEST(SettingsOption, WithoutItTheWindowIs800By600) {
    const Shown shown = showTwoFrames({}, "default.png");
    EXPECT_EQ(shown.result.exitStatus, 0);
    EXPECT_EQ(shown.screenshot, ScreenSize(800, 600));
}

TEST(SettingsOption, MissingFileIsReportedAndTheWindowIs800By600) {
    const std::string settings = testsupport::tempPath("absent.txt");
    const Shown shown = showTwoFrames({"--settings=" + settings}, "absent.png");
    EXPECT_EQ(shown.result.exitStatus, 0);
    EXPECT_EQ(shown.result.err, "ERROR: Could not open settings file '" + settings + "'.\n");
    EXPECT_EQ(shown.screenshot, ScreenSize(800, 600));
}

// Without a display a window cannot open (exit status 1), so status 2 and the
// message show that the size was refused first.
TEST(SettingsOption, RefusesASizeNoWindowCanHaveBeforeOpeningOne) {
    const char* display = std::getenv("DISPLAY");
    const std::string savedDisplay = display == nullptr ? "" : display;
    unsetenv("DISPLAY");
    for (const auto& [text, size] : std::vector<std::pair<std::string, std::string>>{
             {"width=0", "'0' by '768'"},
             {"width=640\nheight=-480", "'640' by '-480'"},
             {"width=16385\nheight=16384", "'16385' by '16384'"},
             {"height=2147483647", "'1024' by '2147483647'"}}) {
        SCOPED_TRACE(text);
        const std::string settings = writeTemp("bad.txt", text);
        const auto result = runProcess({viewerBinary(), "--settings", settings, emptyLevel(), "--frames", "1"});
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.err, "ERROR: Settings file '" + settings + "' asks for a window of " + size +
                                  " pixels; width and height must lie between '1' and '16384'.\n");
        EXPECT_EQ(result.out, "");
    }
    if (!savedDisplay.empty()) setenv("DISPLAY", savedDisplay.c_str(), 1);
}

}  // namespace
