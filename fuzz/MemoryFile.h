#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The readers take a file name; this gives each fuzz input one without
// touching the disk: a memory-backed file, rewritten for every input and
// opened by its /proc path.
class MemoryFile {
public:
    MemoryFile();
    void hold(const std::uint8_t* data, std::size_t size);
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

// Ends the run with a message, as a crash would, when a promise of the code
// under test does not hold.
void require(bool holds, const char* promise);
