#include "LevelFile.h"

#include <sys/stat.h>

#include <chrono>

FileStamp stampOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return FileStamp{};
    return FileStamp{true, static_cast<std::uint64_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool ChangeWatch::settledChange(const FileStamp& now) {
    if (now == readStamp) {
        seen.reset();
        return false;
    }
    if (seen && *seen == now) return true;
    seen = now;
    return false;
}

void ChangeWatch::read(const FileStamp& stamp) {
    readStamp = stamp;
    seen.reset();
}

namespace {

// Reads the level, timing the whole load.
std::unique_ptr<Qor::BSP> readLevel(const std::string& path, double& milliseconds) {
    const auto start = std::chrono::steady_clock::now();
    auto level = std::make_unique<Qor::BSP>("", path.c_str());
    milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return level;
}

}  // namespace

// The stamp is taken before the read: a change made while the file is read
// then shows at the next check.
LevelFile::LevelFile(std::string levelPath)
    : filePath(std::move(levelPath)), watch(stampOf(filePath)) {
    shown = readLevel(filePath, loadTime);
}

std::unique_ptr<Qor::BSP> LevelFile::reload() {
    // Read or not, this version of the file has had its turn: a broken file
    // is not read again every second, only once it changes again.
    watch.read(stampOf(filePath));
    double milliseconds = 0.0;
    std::unique_ptr<Qor::BSP> fresh = readLevel(filePath, milliseconds);
    if (!fresh->loaded()) {
        failure = fresh->messages;
        return nullptr;
    }
    failure.clear();
    loadTime = milliseconds;
    std::swap(shown, fresh);
    return fresh;
}
