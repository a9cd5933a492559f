#include <gtest/gtest.h>

#include "Scale.h"

using namespace Qor;

TEST(ScaleRgba8, KeepsAFlatColourAndReachesTheAskedSize) {
    MipLevel level{6, 3, {}};
    for (int i = 0; i < 6 * 3; ++i) level.bytes.insert(level.bytes.end(), {10, 200, 30, 255});
    const MipLevel scaled = scaleRgba8(level, 8, 4);
    EXPECT_EQ(scaled.width, 8u);
    EXPECT_EQ(scaled.height, 4u);
    std::vector<std::uint8_t> flat;
    for (int i = 0; i < 8 * 4; ++i) flat.insert(flat.end(), {10, 200, 30, 255});
    EXPECT_EQ(scaled.bytes, flat);
}

TEST(HalveRgba8, AveragesAndStopsAtOneTexel) {
    // 2 × 1: black and white become one mid grey texel.
    const MipLevel level{2, 1, {0, 0, 0, 255, 255, 255, 255, 255}};
    const MipLevel half = halveRgba8(level);
    ASSERT_EQ(half.width, 1u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_NEAR(half.bytes[0], 128, 1);
    EXPECT_EQ(halveRgba8(half).width, 1u);
}

TEST(UploadSize, RoundsToTheNearestPowerOfTwoOnlyWhenTheDriverNeedsIt) {
    EXPECT_EQ(uploadSize({300, 100}, true, 4096).width, 300u);
    const TextureSize rounded = uploadSize({300, 100}, false, 4096);
    EXPECT_EQ(rounded.width, 256u);
    EXPECT_EQ(rounded.height, 128u);
    EXPECT_EQ(uploadSize({384, 1}, false, 4096).width, 512u);  // a tie rounds up
}

TEST(UploadSize, HalvesBothSidesUntilTheLargestFits) {
    const TextureSize size = uploadSize({8192, 1024}, false, 2048);
    EXPECT_EQ(size.width, 2048u);
    EXPECT_EQ(size.height, 256u);
    EXPECT_EQ(uploadSize({4000, 1}, true, 1024).height, 1u);
}

TEST(TextureBytes, CountsEveryLevelDownToOneTexel) {
    EXPECT_EQ(textureBytes(PixelFormat::rgba8, {4, 4}), (16u + 4 + 1) * 4);
    // DXT1 levels below 4 × 4 still take a whole block.
    EXPECT_EQ(textureBytes(PixelFormat::dxt1, {8, 8}), 32u + 8 + 8 + 8);
}

TEST(BudgetHalvings, HalvesTheLargestUntilTheTotalFits) {
    const std::vector<TextureSize> sizes{{256, 256}, {1024, 1024}, {512, 512}};
    const std::vector<PixelFormat> formats(3, PixelFormat::rgba8);
    const std::uint64_t all = textureBytes(PixelFormat::rgba8, {256, 256}) +
                              textureBytes(PixelFormat::rgba8, {1024, 1024}) +
                              textureBytes(PixelFormat::rgba8, {512, 512});
    EXPECT_EQ(budgetHalvings(sizes, formats, all), (std::vector<unsigned>{0, 0, 0}));
    // Halving the 1024 once saves the most and is enough.
    EXPECT_EQ(budgetHalvings(sizes, formats, all - 1), (std::vector<unsigned>{0, 1, 0}));
    // At 2 MiB the 1024 goes to 512, then of the two 512s the first listed is halved.
    EXPECT_EQ(budgetHalvings(sizes, formats, 2u << 20), (std::vector<unsigned>{0, 2, 0}));
    EXPECT_EQ(budgetHalvings(sizes, formats, 1536u << 10), (std::vector<unsigned>{0, 2, 1}));
}

TEST(BudgetHalvings, WeighsCompressedImagesByTheirBytesAndStopsAtOneTexel) {
    const std::vector<TextureSize> sizes{{1024, 1024}, {512, 512}};
    // The DXT1 image of 1024 takes half the bytes of the rgba8 one of 512,
    // so halving the latter alone is enough.
    const std::uint64_t budget =
        textureBytes(PixelFormat::dxt1, {1024, 1024}) + textureBytes(PixelFormat::rgba8, {256, 256});
    EXPECT_EQ(budgetHalvings(sizes, {PixelFormat::dxt1, PixelFormat::rgba8}, budget), (std::vector<unsigned>{0, 1}));
    EXPECT_EQ(budgetHalvings({{4, 1}}, {PixelFormat::rgba8}, 0), (std::vector<unsigned>{2}));
}
