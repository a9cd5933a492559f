#pragma once

#include <cstddef>
#include <cstdint>

namespace Qor::Dds {

// A DDS file: the magic, a 124-byte header holding a 32-byte pixel format, then
// each level's bytes in turn, largest first, rows from the top. All values are
// little-endian 32-bit words.
constexpr std::uint8_t magic[4] = {'D', 'D', 'S', ' '};
constexpr std::size_t headerOffset = 4;
constexpr std::size_t headerSize = 124;
constexpr std::size_t dataOffset = headerOffset + headerSize;
static_assert(dataOffset == 128, "the texels follow the magic and the header");

// Offsets from the start of the file.
constexpr std::size_t sizeField = 4;         // 124, the header's own size
constexpr std::size_t flagsField = 8;        // which of the fields below are set
constexpr std::size_t heightField = 12;      // texels
constexpr std::size_t widthField = 16;       // texels
constexpr std::size_t mipCountField = 28;    // levels, when flags has mipCountSet
constexpr std::size_t pixelFormatOffset = 76;
constexpr std::size_t pixelFormatSize = 32;
static_assert(pixelFormatOffset + pixelFormatSize + 20 == dataOffset, "caps and reserved words end the header");

// Offsets within the pixel format.
constexpr std::size_t pfSizeField = 0;       // 32, the pixel format's own size
constexpr std::size_t pfFlagsField = 4;      // fourCC or rgb, alphaPixels
constexpr std::size_t pfFourCCField = 8;     // "DXT1", "DXT3", "DXT5" when fourCC
constexpr std::size_t pfBitCountField = 12;  // bits a texel when rgb
constexpr std::size_t pfRedMaskField = 16;   // each channel's bits within a texel
constexpr std::size_t pfGreenMaskField = 20;
constexpr std::size_t pfBlueMaskField = 24;
constexpr std::size_t pfAlphaMaskField = 28;

constexpr std::uint32_t mipCountSet = 0x20000;
constexpr std::uint32_t pfAlphaPixels = 0x1;
constexpr std::uint32_t pfFourCC = 0x4;
constexpr std::uint32_t pfRgb = 0x40;

}  // namespace Qor::Dds
