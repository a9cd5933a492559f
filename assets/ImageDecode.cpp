#include "ImageDecode.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include <stb_image.h>

#include "Dds.h"
#include "ImageLimits.h"
#include "StbGuards.h"

namespace Qor {

namespace {

constexpr const char* truncated = "is truncated: the file ends before its texels do";
constexpr const char* paletteFault = "is corrupt: a texel names a colour that its palette does not hold";

using StbTexels = std::unique_ptr<stbi_uc, decltype(&stbi_image_free)>;

StbTexels stbDecode(const std::vector<std::uint8_t>& bytes, int& width, int& height) {
    int channels = 0;
    return {stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4),
            stbi_image_free};
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
    if (isJpeg(bytes, size) && !jpegTablesFit(bytes, size)) {
        result.fault = "is corrupt: a Huffman table holds more than '256' symbols";
        return result;
    }
    if (isJpeg(bytes, size) && !jpegScansHaveTheirTables(bytes, size)) {
        result.fault = "is corrupt: a scan uses a Huffman table that the file does not define";
        return result;
    }
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
    if (isBmp(bytes, size) && !bmpPaletteCoversItsTexels(bytes, size)) {
        result.fault = paletteFault;
        return result;
    }

    const bool png = isPng(bytes, size);
    if (png && !pngChunksFit(bytes, size)) {
        result.fault = "is truncated or corrupt";
        return result;
    }
    StbTexels texels(nullptr, stbi_image_free);
    if (png && pngHasShortPalette(bytes, size)) {
        // Decoded with the palette filled out once in black and once in
        // white: a texel naming a colour past the file's own differs.
        texels = stbDecode(pngWithFullPalettes(bytes, size, 0x00), width, height);
        const StbTexels white = stbDecode(pngWithFullPalettes(bytes, size, 0xff), width, height);
        const std::size_t texelBytes = static_cast<std::size_t>(levelBytes(
            PixelFormat::rgba8, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)));
        if (!white) {
            texels.reset();
        } else if (texels && std::memcmp(texels.get(), white.get(), texelBytes) != 0) {
            result.fault = paletteFault;
            return result;
        }
    } else {
        texels.reset(stbi_load_from_memory(bytes, length, &width, &height, &channels, 4));
    }
    if (!texels) {
        // stb_image's own reason is left out: it is not always set by the
        // decoder that failed, and would then name another format's fault.
        result.fault = "is truncated or corrupt";
        return result;
    }
    MipLevel level;
    level.width = static_cast<std::uint32_t>(width);
    level.height = static_cast<std::uint32_t>(height);
    level.bytes.assign(texels.get(), texels.get() + levelBytes(PixelFormat::rgba8, level.width, level.height));
    result.image.levels.push_back(std::move(level));
    return result;
}

}  // namespace Qor
