#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A folder under /tmp, removed with all it holds when the fixture goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // Writes bytes to path under the folder, making the folders on the way.
    std::string write(const std::string& relative, const Bytes& bytes) const;

private:
    std::string path_;
};

// An rgba8 image whose every texel differs from its neighbours.
Bytes patternTexels(int width, int height);

// Images written by stb's writers from rgba8 texels.
Bytes pngOf(int width, int height, const Bytes& texels);
Bytes bmpOf(int width, int height, const Bytes& texels);
Bytes tgaOf(int width, int height, const Bytes& texels, bool runLength);
Bytes jpegOf(int width, int height, const Bytes& texels);

// A zip archive of the named members (stored, not compressed, when stored
// is set, so that their bytes can be found and patched).
Bytes zipOf(const std::vector<std::pair<std::string, Bytes>>& members, bool stored = false);

// Little-endian writers for hand-made headers.
void putU16(Bytes& bytes, std::size_t at, std::uint16_t value);
void putU32(Bytes& bytes, std::size_t at, std::uint32_t value);
std::uint32_t getU32(const Bytes& bytes, std::size_t at);

// A DDS file of a header written by hand (DXT blocks by fourCC, or 32-bit
// texels for none) and the payload as given.
Bytes ddsOf(std::uint32_t width, std::uint32_t height, const char* fourCC, std::uint32_t mipCount,
            const Bytes& payload);
