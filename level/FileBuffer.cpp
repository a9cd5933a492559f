#include "FileBuffer.h"

#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <limits>
#include <new>

#include "HugePages.h"

namespace {

struct FileCloser {
    std::FILE* file;
    ~FileCloser() { std::fclose(file); }
};

// The size as the standard file functions see it, or -1 when it cannot be
// taken or does not fit the buffer's 32-bit size. A directory opens on some
// systems; it has no bytes to read and is refused here.
long long sizeOf(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) return -1;
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    const off_t end = ftello(file);
    if (end < 0 || static_cast<unsigned long long>(end) > std::numeric_limits<std::uint32_t>::max())
        return -1;
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
    return static_cast<long long>(end);
}

}  // namespace

FileReadResult readWholeFile(const std::string& path, FileBuffer& buffer) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return FileReadResult::notOpened;
    const FileCloser closer{file};

    const long long size = sizeOf(file);
    if (size < 0) return FileReadResult::notRead;
    const auto byteCount = static_cast<std::uint32_t>(size);
    // One byte more than needed, so that an empty file still gets a real block.
    auto* bytes = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(byteCount) + 1];
    if (bytes == nullptr) return FileReadResult::notRead;
    preferHugePages(bytes, byteCount);
    if (std::fread(bytes, 1, byteCount, file) != byteCount) {
        delete[] bytes;
        return FileReadResult::notRead;
    }
    buffer.data = bytes;
    buffer.size = byteCount;
    return FileReadResult::ok;
}

std::string readFailureMessage(FileReadResult result, const std::string& path, const char* openName,
                               const char* readName) {
    switch (result) {
    case FileReadResult::ok: return "";
    case FileReadResult::notOpened: return "ERROR: Could not open " + std::string(openName) + " '" + path + "'.";
    case FileReadResult::notRead: break;
    }
    return "ERROR: Could not read " + std::string(readName) + " '" + path + "'.";
}

bool loadWholeFile(const std::string& path, FileBuffer& buffer, const char* openName, const char* readName) {
    const FileReadResult result = readWholeFile(path, buffer);
    if (result == FileReadResult::ok) return true;
    std::cerr << readFailureMessage(result, path, openName, readName) << '\n';
    return false;
}

void releaseFileBuffer(FileBuffer& buffer) {
    delete[] buffer.data;
    buffer.data = nullptr;
    buffer.size = 0;
}
