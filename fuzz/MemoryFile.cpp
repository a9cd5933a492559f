#include "MemoryFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

MemoryFile::MemoryFile() : fd_(memfd_create("orvandel-fuzz-input", 0)) {
    require(fd_ >= 0, "a memory file can be created");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

void MemoryFile::hold(const std::uint8_t* data, std::size_t size) {
    require(ftruncate(fd_, 0) == 0, "the memory file can be emptied");
    std::size_t written = 0;
    while (written < size) {
        const ssize_t got = pwrite(fd_, data + written, size - written, static_cast<off_t>(written));
        require(got > 0, "the memory file takes the input");
        written += static_cast<std::size_t>(got);
    }
}

void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}
