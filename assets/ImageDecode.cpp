#include "ImageDecode.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include <stb_image.h>

#include "ByteReader.h"
#include "Dds.h"
#include "ImageLimits.h"
#include "StoredLayouts.h"

namespace Qor {

namespace {

constexpr const char* truncated = "is truncated: the file ends before its texels do";

bool isBmp(const std::uint8_t* bytes, std::size_t size) { return size >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

// TGA files have no magic: a file is taken for one when it is none of the others.
bool isPngOrJpeg(const std::uint8_t* bytes, std::size_t size) {
    return size >= 2 && ((bytes[0] == 0x89 && bytes[1] == 'P') || (bytes[0] == 0xff && bytes[1] == 0xd8));
}

// stb_image reads a TGA or BMP past its end as zeros; these tell whether the
// file holds every byte its header promises. A file that is neither passes.
bool tgaHoldsItsTexels(const std::uint8_t* bytes, std::size_t size) {
    if (size < Tga::headerSize) return true;
    const std::uint8_t type = bytes[Tga::imageTypeField];
    const bool stored = type >= Tga::firstStoredType && type <= Tga::lastStoredType;
    const bool runLength = type >= Tga::firstRunLengthType && type <= Tga::lastRunLengthType;
    if (!stored && !runLength) return true;
    const std::uint64_t texelBytes = (std::uint64_t{bytes[Tga::bitsPerTexelField]} + 7) / 8;
    const std::uint64_t entryBytes = (std::uint64_t{bytes[Tga::colourMapEntryBitsField]} + 7) / 8;
    const std::uint64_t texels = std::uint64_t{readU16(bytes + Tga::widthField)} * readU16(bytes + Tga::heightField);
    std::uint64_t at = Tga::headerSize + bytes[Tga::idLengthField] +
                       readU16(bytes + Tga::colourMapLengthField) * entryBytes;
    if (stored) return at + texels * texelBytes <= size;
    for (std::uint64_t done = 0; done < texels;) {
        if (at >= size) return false;
        const std::uint8_t packet = bytes[at++];
        const std::uint64_t count = (packet & 0x7fu) + 1u;
        at += (packet & 0x80u) ? texelBytes : count * texelBytes;
        done += count;
    }
    return at <= size;
}

bool bmpHoldsItsTexels(const std::uint8_t* bytes, std::size_t size) {
    if (size < Bmp::infoHeaderEnd) return true;
    const std::uint32_t compression = readU32(bytes + Bmp::compressionField);
    if (compression != Bmp::plain && compression != Bmp::bitFields) return true;
    const std::uint64_t width = readU32(bytes + Bmp::widthField);
    const auto height = static_cast<std::int32_t>(readU32(bytes + Bmp::heightField));
    const std::uint64_t rows = height < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(std::int64_t{height})
                                          : static_cast<std::uint64_t>(height);
    const std::uint64_t rowBytes = (width * readU16(bytes + Bmp::bitsPerTexelField) + 31) / 32 * 4;
    return readU32(bytes + Bmp::texelsOffsetField) + rowBytes * rows <= size;
}

std::uint32_t readBigU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// stb_image will not even read the size of a PNG it deems too large to
// decode, so the size is taken from the PNG's header here.
bool pngSize(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width, std::uint32_t& height) {
    if (size < Png::headerEnd || std::memcmp(bytes, Png::signature, sizeof Png::signature) != 0 ||
        std::memcmp(bytes + Png::firstChunkTypeField, "IHDR", 4) != 0)
        return false;
    width = readBigU32(bytes + Png::widthField);
    height = readBigU32(bytes + Png::heightField);
    return true;
}

}  // namespace

DecodeResult decodeImage(const std::uint8_t* bytes, std::size_t size) {
    DecodeResult result;
    if (looksLikeDds(bytes, size)) {
        DdsResult dds = readDds(bytes, size);
        result.image = std::move(dds.image);
        result.fault = std::move(dds.fault);
        return result;
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        result.fault = "is too large a file to decode";
        return result;
    }
    const int length = static_cast<int>(size);
    std::uint32_t statedWidth = 0;
    std::uint32_t statedHeight = 0;
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!pngSize(bytes, size, statedWidth, statedHeight)) {
        if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
            result.fault = "is not an image of a known format, or is corrupt";
            return result;
        }
        statedWidth = static_cast<std::uint32_t>(width);
        statedHeight = static_cast<std::uint32_t>(height);
    }
    result.fault = imageSizeFault(statedWidth, statedHeight);
    if (!result.fault.empty()) return result;
    const bool endsEarly = isBmp(bytes, size) ? !bmpHoldsItsTexels(bytes, size)
                                           : !isPngOrJpeg(bytes, size) && !tgaHoldsItsTexels(bytes, size);
    if (endsEarly) {
        result.fault = truncated;
        return result;
    }

    stbi_uc* texels = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
    if (!texels) {
        // stb_image's own reason is left out: it is not always set by the
        // decoder that failed, and would then name another format's fault.
        result.fault = "is truncated or corrupt";
        return result;
    }
    MipLevel level;
    level.width = static_cast<std::uint32_t>(width);
    level.height = static_cast<std::uint32_t>(height);
    level.bytes.assign(texels, texels + levelBytes(PixelFormat::rgba8, level.width, level.height));
    stbi_image_free(texels);
    result.image.levels.push_back(std::move(level));
    return result;
}

}  // namespace Qor
