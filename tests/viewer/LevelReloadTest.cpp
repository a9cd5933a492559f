#include <unistd.h>

#include <chrono>
#include <thread>

#include "LevelFile.h"
#include "WindowEvents.h"

namespace {

using namespace testsupport;

// Stamps A, B, C, D stand for four versions of the file; each check takes
// the stamp of the moment.
TEST(ChangeWatch, AsksForAReadOnlyOnceAChangeHasHeldForOneMoreCheck) {
    const FileStamp a{true, 10, 1}, b{true, 10, 2}, c{true, 20, 3}, d{true, 30, 4}, missing{};
    ChangeWatch watch(a);
    const std::vector<std::pair<FileStamp, bool>> checks = {
        {a, false}, {b, false}, {b, true},           // changed, then held
        {c, false}, {d, false}, {d, true},           // still being written, then held
        {missing, false}, {missing, true},           // gone, and gone for good
        {a, false}, {a, false},                      // back as it was read: no change at all
    };
    for (std::size_t k = 0; k < checks.size(); ++k)
        EXPECT_EQ(watch.settledChange(checks[k].first), checks[k].second) << "check " << k;
    watch.read(d);
    EXPECT_FALSE(watch.settledChange(d)) << "the version read is no change";
}

// One triangle across the middle of the starting view: red (and its orange
// outline) for texture 0, green (and yellow-green) for texture 1.
Qor::Bytes triangleLevel(std::uint32_t texture) {
    return Qor::writerFor(oneTriangle({{-40, 100, -30}, {40, 100, -30}, {0, 100, 35}}, texture)).bytes();
}

// Whether many pixels lean to red (channel 0) or to green (channel 1).
std::function<bool(const Picture&)> leansTo(std::size_t channel) {
    return [channel](const Picture& p) {
        std::size_t leaning = 0;
        for (std::size_t i = 0; i < p.size(); i += 3) leaning += p[i + channel] > p[i + 1 - channel] + 8;
        return leaning > 2000;
    };
}

constexpr std::size_t windowBytes = 800 * 600 * 3;

// The level in place stays until a read goes through; what a failed read
// said is kept for the panel until then.
TEST(LevelFile, ReplacesTheLevelOnlyWithOneThatLoadedAndKeepsWhatAFailedReadSaid) {
    const std::string path = writeTemp("file.d3dbsp", triangleLevel(0));
    LevelFile file(path);
    Qor::BSP* first = file.level();
    ASSERT_TRUE(Qor::writeFile(path, {'I', 'B', 'S', 'P', 5, 0, 0, 0, 0}));
    testing::internal::CaptureStderr();
    EXPECT_EQ(file.reload(), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: The bsp's file version is unsupported.\n");
    EXPECT_EQ(file.level(), first);
    EXPECT_EQ(file.failedReload(), std::vector<std::string>{"ERROR: The bsp's file version is unsupported."});
    ASSERT_TRUE(Qor::writeFile(path, triangleLevel(1)));
    EXPECT_EQ(file.reload().get(), first);
    EXPECT_EQ(file.level()->textureGroups.at(0).texture, 1u);
    EXPECT_TRUE(file.failedReload().empty());
}

// Rewritten the way a level compiler writes: a new file moved over the old.
void replaceLevel(const std::string& path, const Qor::Bytes& bytes) {
    ASSERT_TRUE(Qor::writeFile(path + ".new", bytes));
    ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
}

// Watching, a changed file shows within seconds, and garbage leaves the old
// level with the message, said once. Without watching, only F5 reads it.
TEST(LevelReload, AChangedFileShowsWithinSecondsWhenWatchedAndOnF5Otherwise) {
    ASSERT_TRUE(holdDisplay());
    const std::string message = "ERROR: The bsp's file format is unsupported.\n";
    for (const bool watching : {true, false}) {
        SCOPED_TRACE(watching ? "watching" : "not watching");
        const std::string path = writeTemp("watched.d3dbsp", triangleLevel(0));
        std::vector<std::string> argv = {viewerBinary(), path};
        if (!watching) argv.push_back("--no-watch");
        BackgroundProcess viewer(argv);
        const std::string window = windowOf(viewer.id());
        ASSERT_FALSE(window.empty()) << viewer.errorOutput();
        ASSERT_FALSE(pictureWhen(window, windowBytes, leansTo(0)).empty());
        replaceLevel(path, triangleLevel(1));
        if (!watching) {
            // Watching, the viewer would have read it after two checks a second apart.
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            EXPECT_FALSE(pictureWhen(window, windowBytes, leansTo(0), "", 1.0).empty()) << "read without F5";
        }
        EXPECT_FALSE(pictureWhen(window, windowBytes, leansTo(1), watching ? "" : "xdotool key F5").empty())
            << "the new level did not show";
        if (watching) {
            replaceLevel(path, Qor::Bytes{'I', 'B', 'S', 'Q', 4, 0, 0, 0, 0});
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (viewer.errorOutput().empty() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_EQ(viewer.errorOutput(), message);
            EXPECT_FALSE(pictureWhen(window, windowBytes, leansTo(1), "", 1.0).empty()) << "the old level went";
        }
        ASSERT_TRUE(command("xdotool key Escape"));
        EXPECT_EQ(viewer.waitForExit(10.0), 0);
        EXPECT_EQ(viewer.errorOutput(), watching ? message : "") << "the broken file is not read again and again";
    }
}

}  // namespace
