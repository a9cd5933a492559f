#include <gtest/gtest.h>

#include "AssetFixtures.h"
#include "Dds.h"
#include "Dxt.h"
#include "ImageDecode.h"

using namespace Qor;

namespace {

// A DXT1 colour block: two 565 colours and sixteen 2-bit indices.
Bytes colourBlock(std::uint16_t c0, std::uint16_t c1, std::uint32_t indices) {
    Bytes block(8);
    putU16(block, 0, c0);
    putU16(block, 2, c1);
    putU32(block, 4, indices);
    return block;
}

const std::uint16_t red565 = 0xf800;
const std::uint16_t blue565 = 0x001f;

std::vector<int> texel(const MipLevel& level, std::uint32_t x, std::uint32_t y) {
    const std::size_t at = (std::size_t{y} * level.width + x) * 4;
    return {level.bytes[at], level.bytes[at + 1], level.bytes[at + 2], level.bytes[at + 3]};
}

}  // namespace

TEST(Dxt1, FourColourBlockMixesItsEndsInThirds) {
    // Indices by texel: 0 red, 1 blue, 2 two thirds red, 3 one third red.
    MipLevel level{4, 4, colourBlock(red565, blue565, 0b11100100)};
    const MipLevel rgba = decodeBlocks(PixelFormat::dxt1, level);
    EXPECT_EQ(texel(rgba, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(texel(rgba, 1, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(texel(rgba, 2, 0), (std::vector<int>{170, 0, 85, 255}));
    EXPECT_EQ(texel(rgba, 3, 0), (std::vector<int>{85, 0, 170, 255}));
    EXPECT_EQ(texel(rgba, 0, 3), (std::vector<int>{255, 0, 0, 255}));
}

TEST(Dxt1, ThreeColourBlockHasAHalfwayColourAndTransparentBlack) {
    MipLevel level{4, 4, colourBlock(blue565, red565, 0b11100100)};
    const MipLevel rgba = decodeBlocks(PixelFormat::dxt1, level);
    EXPECT_EQ(texel(rgba, 0, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(texel(rgba, 2, 0), (std::vector<int>{128, 0, 128, 255}));
    EXPECT_EQ(texel(rgba, 3, 0), (std::vector<int>{0, 0, 0, 0}));
}

TEST(Dxt1, SizesNotAMultipleOfFourTakeTheTopLeftOfEachBlock) {
    // Two blocks across: red on the left, blue on the right; 5 × 2 texels.
    Bytes blocks = colourBlock(red565, blue565, 0);
    const Bytes right = colourBlock(red565, blue565, 0x55555555);
    blocks.insert(blocks.end(), right.begin(), right.end());
    const MipLevel rgba = decodeBlocks(PixelFormat::dxt1, MipLevel{5, 2, blocks});
    ASSERT_EQ(rgba.bytes.size(), 5u * 2 * 4);
    EXPECT_EQ(texel(rgba, 3, 1), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(texel(rgba, 4, 1), (std::vector<int>{0, 0, 255, 255}));
}

TEST(Dxt3, AlphaIsFourBitsATexelAndColourAlwaysHasFourColours) {
    Bytes block(8, 0);
    block[0] = 0xf0;  // texel 0 alpha 0, texel 1 alpha 15
    block[1] = 0x08;  // texel 2 alpha 8
    // The colour half with its first colour below the second still mixes in thirds.
    const Bytes colour = colourBlock(blue565, red565, 0b11 << 4);
    block.insert(block.end(), colour.begin(), colour.end());
    const MipLevel rgba = decodeBlocks(PixelFormat::dxt3, MipLevel{4, 4, block});
    EXPECT_EQ(texel(rgba, 0, 0), (std::vector<int>{0, 0, 255, 0}));
    EXPECT_EQ(texel(rgba, 1, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(texel(rgba, 2, 0), (std::vector<int>{170, 0, 85, 136}));
}

TEST(Dxt5, AlphaMixesItsEndsInSevenOrFiveSteps) {
    // Eight steps between 255 and 0: index 2 is 6/7 of the way to 255.
    Bytes block{255, 0, 2 << 3, 0, 0, 0, 0, 0};  // texel 1 index 2, the others index 0
    const Bytes colour = colourBlock(red565, red565, 0);
    block.insert(block.end(), colour.begin(), colour.end());
    MipLevel rgba = decodeBlocks(PixelFormat::dxt5, MipLevel{4, 4, block});
    EXPECT_EQ(texel(rgba, 0, 0)[3], 255);
    EXPECT_EQ(texel(rgba, 1, 0)[3], 219);  // (6 × 255 + 0) / 7, rounded
    EXPECT_EQ(texel(rgba, 2, 0)[3], 255);

    // Six steps when the first end is not above the second, with 0 and 255 added.
    block[0] = 0;
    block[1] = 100;
    block[2] = static_cast<std::uint8_t>(6 | (7 << 3) | (2 << 6));  // indices 6, 7, 2
    rgba = decodeBlocks(PixelFormat::dxt5, MipLevel{4, 4, block});
    EXPECT_EQ(texel(rgba, 0, 0)[3], 0);
    EXPECT_EQ(texel(rgba, 1, 0)[3], 255);
    EXPECT_EQ(texel(rgba, 2, 0)[3], 20);
}

TEST(Dds, KeepsEachLevelsBlocksAsStored) {
    // 8 × 8 DXT1: four blocks, then one for 4 × 4, 2 × 2 and 1 × 1 each.
    Bytes payload;
    for (std::uint8_t i = 0; i < 7; ++i) {
        const Bytes block = colourBlock(static_cast<std::uint16_t>(i), 0, 0);
        payload.insert(payload.end(), block.begin(), block.end());
    }
    const DdsResult dds = readDds(ddsOf(8, 8, "DXT1", 4, payload).data(), 128 + payload.size());
    ASSERT_EQ(dds.fault, "");
    EXPECT_EQ(dds.image.format, PixelFormat::dxt1);
    ASSERT_EQ(dds.image.levels.size(), 4u);
    EXPECT_EQ(dds.image.levels[0].bytes, Bytes(payload.begin(), payload.begin() + 32));
    EXPECT_EQ(dds.image.levels[3].width, 1u);
    EXPECT_EQ(dds.image.levels[3].bytes, Bytes(payload.begin() + 48, payload.end()));
}

TEST(Dds, TurnsMasked32BitTexelsIntoRgba) {
    const Bytes payload{10, 20, 30, 40, 1, 2, 3, 4};  // B, G, R, A twice
    const Bytes file = ddsOf(2, 1, nullptr, 0, payload);
    const DecodeResult decoded = decodeImage(file.data(), file.size());
    ASSERT_EQ(decoded.fault, "");
    EXPECT_EQ(decoded.image.format, PixelFormat::rgba8);
    EXPECT_EQ(decoded.image.levels.at(0).bytes, (Bytes{30, 20, 10, 40, 3, 2, 1, 4}));
}

TEST(Dds, CutsALevelCountBeyondTheChainToTheChain) {
    const Bytes payload(8 * 3, 0);  // 4 × 4, 2 × 2, 1 × 1
    const DdsResult dds = readDds(ddsOf(4, 4, "DXT1", 11, payload).data(), 128 + payload.size());
    EXPECT_EQ(dds.fault, "");
    EXPECT_EQ(dds.image.levels.size(), 3u);
}

TEST(Dds, RefusesTruncatedOversizedOtherAndBrokenFilesWithNoLevels) {
    Bytes wrongHeader = ddsOf(4, 4, "DXT1", 0, Bytes(8, 0));
    const Bytes shortHeader(wrongHeader.begin(), wrongHeader.begin() + 100);
    putU32(wrongHeader, 4, 1000);
    const std::pair<Bytes, const char*> cases[] = {
        {ddsOf(8, 8, "DXT5", 2, Bytes(16 * 4 + 15, 0)), "is truncated: the file ends within level '1'"},
        {ddsOf(4096, 4096, "DXT1", 0, Bytes(100, 0)), "is truncated: the file ends within level '0'"},
        // Sizes over the limits, refused before any texel is read.
        {ddsOf(20000, 4, "DXT1", 0, {}), "is '20000' by '4' pixels, over '16384' on a side"},
        {ddsOf(16384, 8192, "DXT1", 0, {}), "would take '536870912' bytes decoded, over '268435456'"},
        {ddsOf(0, 8, "DXT1", 0, {}), "has no texels"},
        {ddsOf(4, 4, "ATI2", 0, Bytes(16, 0)), "is in a DDS format other than DXT1, DXT3, DXT5 or 32-bit texels"},
        {shortHeader, "is too short for a DDS header"},
        {wrongHeader, "has a DDS header of the wrong size"},
    };
    for (const auto& [file, fault] : cases) {
        const DdsResult dds = readDds(file.data(), file.size());
        EXPECT_EQ(dds.fault, fault);
        EXPECT_TRUE(dds.image.levels.empty()) << fault;
    }
}
