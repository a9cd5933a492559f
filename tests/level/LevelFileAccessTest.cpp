#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "LevelLoading.h"

namespace {

using leveltest::load;
using leveltest::openMessage;
using leveltest::readMessage;

Qor::LevelContents threeTriangles() {
    Qor::LevelContents contents;
    contents.vertices.resize(3);
    contents.triangles.assign(3, Qor::Triangle{{0, 1, 2}});
    return contents;
}

struct ChildLoad {
    int exitStatus;  // the triangles decoded, or 100 when the privileges could not be dropped
    std::string err;
};

// Loads the level in a child process that runs as the unprivileged user
// 65534 when started as root, so that file permissions apply to it.
ChildLoad loadAsUnprivilegedUser(const std::string& path) {
    int errPipe[2];
    if (pipe(errPipe) != 0) return {-1, "pipe failed"};
    const pid_t child = fork();
    if (child == 0) {
        close(errPipe[0]);
        dup2(errPipe[1], STDERR_FILENO);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        const Qor::BSP level("", path.c_str());
        _exit(static_cast<int>(level.triangles.size()));
    }
    close(errPipe[1]);
    ChildLoad result{-1, ""};
    char chunk[256];
    ssize_t got;
    while ((got = read(errPipe[0], chunk, sizeof chunk)) > 0) result.err.append(chunk, static_cast<std::size_t>(got));
    close(errPipe[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

TEST(LevelFileAccess, ReportsAMissingFileAsNotOpened) {
    const std::string path = testsupport::tempPath("missing.d3dbsp");
    const auto loaded = load(path);
    EXPECT_EQ(loaded.err, openMessage(path));
    leveltest::expectNothingKept(*loaded.level);
    leveltest::expectNoLayout(*loaded.level);
    EXPECT_EQ(loaded.level->fileName, "missing.d3dbsp");
}

TEST(LevelFileAccess, ReadsAReadOnlyFileAsAUserWhoMayNotWriteIt) {
    // The fixtures' own directory is private to the test's user.
    std::string directory = "/tmp/orvandel-readonly-XXXXXX";
    ASSERT_NE(mkdtemp(directory.data()), nullptr);
    ASSERT_EQ(chmod(directory.c_str(), 0755), 0);
    const std::string path = directory + "/level.d3dbsp";
    ASSERT_TRUE(Qor::writeFile(path, Qor::writerFor(threeTriangles()).bytes()));

    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const ChildLoad readable = loadAsUnprivilegedUser(path);
    EXPECT_EQ(readable.err, "");
    EXPECT_EQ(readable.exitStatus, 3);

    ASSERT_EQ(chmod(path.c_str(), 0000), 0);
    const ChildLoad forbidden = loadAsUnprivilegedUser(path);
    EXPECT_EQ(forbidden.err, openMessage(path));
    EXPECT_EQ(forbidden.exitStatus, 0);

    std::remove(path.c_str());
    rmdir(directory.c_str());
}

TEST(LevelFileAccess, ReportsADirectoryAsNotRead) {
    const std::string path = testsupport::tempPath("a-directory.d3dbsp");
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    const auto loaded = load(path);
    EXPECT_EQ(loaded.err, readMessage(path));
    leveltest::expectNothingKept(*loaded.level);
    leveltest::expectNoLayout(*loaded.level);
    rmdir(path.c_str());
}

TEST(LevelFileAccess, RefusesA4GiBFileWithoutReadingIt) {
    // A valid header and one more byte: cut to 32 bits, the size would be 9
    // and the file would load.
    const std::string path =
        testsupport::writeTemp("huge.d3dbsp", Qor::Bytes{'I', 'B', 'S', 'P', 4, 0, 0, 0, 0});
    if (truncate(path.c_str(), (1LL << 32) + 9) != 0) {
        std::remove(path.c_str());
        GTEST_SKIP() << "the file system refuses a sparse 4 GiB file";
    }
    const auto loaded = load(path);
    EXPECT_EQ(loaded.err, readMessage(path));
    leveltest::expectNothingKept(*loaded.level);
    leveltest::expectNoLayout(*loaded.level);
    std::remove(path.c_str());
}

}  // namespace
