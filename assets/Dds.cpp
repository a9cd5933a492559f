#include "Dds.h"

#include <cstring>

#include "ByteReader.h"
#include "DdsFormat.h"
#include "ImageLimits.h"

namespace Qor {

bool looksLikeDds(const std::uint8_t* bytes, std::size_t size) {
    return size >= sizeof Dds::magic && std::memcmp(bytes, Dds::magic, sizeof Dds::magic) == 0;
}

namespace {

// The shift and width of a channel's mask, to spread its bits over 0..255.
struct Channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t mask_) : mask(mask_) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint8_t value(std::uint32_t texel, std::uint8_t absent) const {
        if (mask == 0) return absent;
        const std::uint64_t bits = (texel & mask) >> shift;
        return static_cast<std::uint8_t>((bits * 255 + max / 2) / max);
    }
};

std::uint32_t chainLength(std::uint32_t width, std::uint32_t height) {
    std::uint32_t levels = 1;
    while (width > 1 || height > 1) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        ++levels;
    }
    return levels;
}

}  // namespace

DdsResult readDds(const std::uint8_t* bytes, std::size_t size) {
    DdsResult result;
    if (size < Dds::dataOffset || !looksLikeDds(bytes, size)) {
        result.fault = "is too short for a DDS header";
        return result;
    }
    if (readU32(bytes + Dds::sizeField) != Dds::headerSize) {
        result.fault = "has a DDS header of the wrong size";
        return result;
    }
    const std::uint32_t height = readU32(bytes + Dds::heightField);
    const std::uint32_t width = readU32(bytes + Dds::widthField);
    result.fault = imageSizeFault(width, height);
    if (!result.fault.empty()) return result;

    const std::uint8_t* pf = bytes + Dds::pixelFormatOffset;
    const std::uint32_t pfFlags = readU32(pf + Dds::pfFlagsField);
    bool masked = false;
    if (pfFlags & Dds::pfFourCC) {
        const std::uint8_t* fourCC = pf + Dds::pfFourCCField;
        if (std::memcmp(fourCC, "DXT1", 4) == 0)
            result.image.format = PixelFormat::dxt1;
        else if (std::memcmp(fourCC, "DXT3", 4) == 0)
            result.image.format = PixelFormat::dxt3;
        else if (std::memcmp(fourCC, "DXT5", 4) == 0)
            result.image.format = PixelFormat::dxt5;
        else {
            result.fault = "is in a DDS format other than DXT1, DXT3, DXT5 or 32-bit texels";
            return result;
        }
    } else if ((pfFlags & Dds::pfRgb) && readU32(pf + Dds::pfBitCountField) == 32) {
        masked = true;
    } else {
        result.fault = "is in a DDS format other than DXT1, DXT3, DXT5 or 32-bit texels";
        return result;
    }

    std::uint32_t levelCount = 1;
    if (readU32(bytes + Dds::flagsField) & Dds::mipCountSet) {
        const std::uint32_t stated = readU32(bytes + Dds::mipCountField);
        const std::uint32_t chain = chainLength(width, height);
        levelCount = stated == 0 ? 1 : (stated < chain ? stated : chain);
    }

    const Channel red(readU32(pf + Dds::pfRedMaskField));
    const Channel green(readU32(pf + Dds::pfGreenMaskField));
    const Channel blue(readU32(pf + Dds::pfBlueMaskField));
    const Channel alpha((pfFlags & Dds::pfAlphaPixels) ? readU32(pf + Dds::pfAlphaMaskField) : 0);

    std::size_t offset = Dds::dataOffset;
    std::uint32_t w = width;
    std::uint32_t h = height;
    for (std::uint32_t level = 0; level < levelCount; ++level) {
        const std::uint64_t stored =
            masked ? std::uint64_t{w} * h * 4 : levelBytes(result.image.format, w, h);
        if (stored > size - offset) {
            result.image.levels.clear();
            result.fault = "is truncated: the file ends within level '" + std::to_string(level) + "'";
            return result;
        }
        MipLevel mip;
        mip.width = w;
        mip.height = h;
        const std::uint8_t* data = bytes + offset;
        if (masked) {
            mip.bytes.resize(static_cast<std::size_t>(stored));
            for (std::size_t i = 0; i < stored; i += 4) {
                const std::uint32_t texel = readU32(data + i);
                mip.bytes[i] = red.value(texel, 0);
                mip.bytes[i + 1] = green.value(texel, 0);
                mip.bytes[i + 2] = blue.value(texel, 0);
                mip.bytes[i + 3] = alpha.value(texel, 255);
            }
        } else {
            mip.bytes.assign(data, data + stored);
        }
        result.image.levels.push_back(std::move(mip));
        offset += static_cast<std::size_t>(stored);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return result;
}

}  // namespace Qor
