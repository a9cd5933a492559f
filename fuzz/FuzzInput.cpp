#include "FuzzInput.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

std::ostringstream messages;

// Opened by its /proc path, so the readers see an ordinary file.
class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("orvandel-fuzz-input", 0)) {
        require(fd_ >= 0, "a memory file can be created");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }

    void hold(const std::uint8_t* data, std::size_t size) {
        require(ftruncate(fd_, 0) == 0, "the memory file can be emptied");
        std::size_t written = 0;
        while (written < size) {
            const ssize_t got = pwrite(fd_, data + written, size - written, static_cast<off_t>(written));
            require(got > 0, "the memory file takes the input");
            written += static_cast<std::size_t>(got);
        }
    }

    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::cerr.rdbuf(messages.rdbuf());
    return 0;
}

const std::string& holdInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    file.hold(data, size);
    messages.str("");
    return file.path();
}

std::string messagesAboutInput() { return messages.str(); }

void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}
