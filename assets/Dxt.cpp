#include "Dxt.h"

#include <array>

#include "ByteReader.h"

namespace Qor {

namespace {

using Rgba = std::array<std::uint8_t, 4>;

Rgba expand565(std::uint16_t c) {
    const unsigned r = (c >> 11) & 31u;
    const unsigned g = (c >> 5) & 63u;
    const unsigned b = c & 31u;
    return {static_cast<std::uint8_t>((r << 3) | (r >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
            static_cast<std::uint8_t>((b << 3) | (b >> 2)), 255};
}

std::uint8_t mix(unsigned a, unsigned b, unsigned weightA, unsigned weightB) {
    return static_cast<std::uint8_t>((a * weightA + b * weightB + (weightA + weightB) / 2) / (weightA + weightB));
}

Rgba mixColour(const Rgba& a, const Rgba& b, unsigned weightA, unsigned weightB) {
    return {mix(a[0], b[0], weightA, weightB), mix(a[1], b[1], weightA, weightB), mix(a[2], b[2], weightA, weightB),
            255};
}

// The 16 colours of a colour block. DXT1 blocks whose first colour is not
// above the second have three colours and transparent black; the colour
// halves of DXT3 and DXT5 blocks always have four.
std::array<Rgba, 16> colourBlock(const std::uint8_t* block, bool threeColourAllowed) {
    const std::uint16_t c0 = readU16(block);
    const std::uint16_t c1 = readU16(block + 2);
    std::array<Rgba, 4> palette{expand565(c0), expand565(c1), {}, {}};
    if (c0 > c1 || !threeColourAllowed) {
        palette[2] = mixColour(palette[0], palette[1], 2, 1);
        palette[3] = mixColour(palette[0], palette[1], 1, 2);
    } else {
        palette[2] = mixColour(palette[0], palette[1], 1, 1);
        palette[3] = {0, 0, 0, 0};
    }
    const std::uint32_t indices = readU32(block + 4);
    std::array<Rgba, 16> texels;
    for (unsigned i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3u];
    return texels;
}

void explicitAlpha(const std::uint8_t* block, std::array<Rgba, 16>& texels) {
    for (unsigned i = 0; i < 16; ++i) {
        const unsigned nibble = (block[i / 2] >> (4 * (i % 2))) & 15u;
        texels[i][3] = static_cast<std::uint8_t>(nibble * 17);
    }
}

void interpolatedAlpha(const std::uint8_t* block, std::array<Rgba, 16>& texels) {
    const unsigned a0 = block[0];
    const unsigned a1 = block[1];
    std::array<std::uint8_t, 8> palette{static_cast<std::uint8_t>(a0), static_cast<std::uint8_t>(a1)};
    if (a0 > a1) {
        for (unsigned i = 1; i < 7; ++i) palette[i + 1] = mix(a0, a1, 7 - i, i);
    } else {
        for (unsigned i = 1; i < 5; ++i) palette[i + 1] = mix(a0, a1, 5 - i, i);
        palette[6] = 0;
        palette[7] = 255;
    }
    std::uint64_t indices = 0;
    for (unsigned i = 0; i < 6; ++i) indices |= std::uint64_t{block[2 + i]} << (8 * i);
    for (unsigned i = 0; i < 16; ++i) texels[i][3] = palette[(indices >> (3 * i)) & 7u];
}

}  // namespace

MipLevel decodeBlocks(PixelFormat format, const MipLevel& level) {
    if (format == PixelFormat::rgba8) return level;
    MipLevel out;
    out.width = level.width;
    out.height = level.height;
    out.bytes.resize(static_cast<std::size_t>(levelBytes(PixelFormat::rgba8, level.width, level.height)));
    const std::size_t blockSize = format == PixelFormat::dxt1 ? 8 : 16;
    const std::uint32_t across = (level.width + 3) / 4;
    const std::uint32_t down = (level.height + 3) / 4;
    if (level.bytes.size() < std::size_t{across} * down * blockSize) return out;

    for (std::uint32_t by = 0; by < down; ++by) {
        for (std::uint32_t bx = 0; bx < across; ++bx) {
            const std::uint8_t* block = level.bytes.data() + (std::size_t{by} * across + bx) * blockSize;
            std::array<Rgba, 16> texels;
            if (format == PixelFormat::dxt1) {
                texels = colourBlock(block, true);
            } else {
                texels = colourBlock(block + 8, false);
                if (format == PixelFormat::dxt3)
                    explicitAlpha(block, texels);
                else
                    interpolatedAlpha(block, texels);
            }
            for (std::uint32_t y = 0; y < 4 && by * 4 + y < level.height; ++y) {
                for (std::uint32_t x = 0; x < 4 && bx * 4 + x < level.width; ++x) {
                    const std::size_t at = (std::size_t{by * 4 + y} * level.width + bx * 4 + x) * 4;
                    const Rgba& texel = texels[y * 4 + x];
                    for (std::size_t c = 0; c < 4; ++c) out.bytes[at + c] = texel[c];
                }
            }
        }
    }
    return out;
}

Image decodeBlocks(const Image& image) {
    Image out;
    for (const MipLevel& level : image.levels) out.levels.push_back(decodeBlocks(image.format, level));
    return out;
}

}  // namespace Qor
