#pragma once

#include <cstdint>
#include <string>

// A whole file held in memory. It does not own its bytes: whoever filled it
// releases them with releaseFileBuffer.
struct FileBuffer {
    std::uint8_t* data;
    std::uint32_t size;

    FileBuffer(std::uint8_t* data_, std::uint32_t size_) : data(data_), size(size_) {}
};

enum class FileReadResult {
    ok,
    notOpened,  // missing, not readable
    notRead,    // opened, but no size, not a regular file, 4 GiB or more, out of memory or short read
};

// Reads the file named by path whole into buffer, which must be empty. The
// file is opened for reading only and never written. On failure buffer stays
// empty.
FileReadResult readWholeFile(const std::string& path, FileBuffer& buffer);

// A failed read in the program's words, without the line end:
// "ERROR: Could not open <openName> '<path>'." when the file cannot be opened,
// "ERROR: Could not read <readName> '<path>'." when it cannot be read whole.
// Empty for ok.
std::string readFailureMessage(FileReadResult result, const std::string& path, const char* openName,
                               const char* readName);

// readWholeFile, telling a failure on stderr as readFailureMessage words it.
bool loadWholeFile(const std::string& path, FileBuffer& buffer, const char* openName, const char* readName);

// Frees the bytes and leaves the buffer empty.
void releaseFileBuffer(FileBuffer& buffer);
