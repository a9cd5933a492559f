#pragma once

// The level shown and the file it comes from. The level itself never
// changes: reading the file again builds a new level, which takes the old
// one's place only when it loaded.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BSP.h"

// What tells that a file has changed: its size and modification time, or
// that it is missing.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && modifiedNanoseconds == other.modifiedNanoseconds;
    }
};

FileStamp stampOf(const std::string& path);

// Tells when a file has changed since it was read and then kept the same
// stamp for one more check, so that a file still being written is not read
// half-way.
class ChangeWatch {
public:
    explicit ChangeWatch(const FileStamp& read) : readStamp(read) {}

    // Called at each check with the file's stamp now; true when the file
    // should be read again.
    bool settledChange(const FileStamp& now);
    // The stamp of the file as it was read last, whether or not it loaded.
    void read(const FileStamp& stamp);

private:
    FileStamp readStamp;
    std::optional<FileStamp> seen;
};

class LevelFile {
public:
    // Reads the level (messages of a failed load go to stderr, as always).
    explicit LevelFile(std::string levelPath);

    Qor::BSP* level() const { return shown.get(); }
    const std::string& path() const { return filePath; }
    double loadMilliseconds() const { return loadTime; }

    // Reads the file again. Returns the level it replaced, for the caller to
    // drop once nothing points at it, or null when the new one did not load
    // and the old one stays.
    std::unique_ptr<Qor::BSP> reload();
    // What the reader said of the last reload when it failed and the old
    // level stayed; empty once a reload has gone through.
    const std::vector<std::string>& failedReload() const { return failure; }
    // The check made about once a second; true when the file has changed
    // and settled since it was read.
    bool changedOnDisk() { return watch.settledChange(stampOf(filePath)); }

private:
    std::string filePath;
    std::unique_ptr<Qor::BSP> shown;
    double loadTime = 0.0;
    ChangeWatch watch;
    std::vector<std::string> failure;
};
