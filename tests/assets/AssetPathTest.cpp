#include <gtest/gtest.h>

#include "AssetPath.h"

using namespace Qor;

TEST(AssetKey, IgnoresLetterCaseAndTellsNoBackslashFromSlash) {
    EXPECT_EQ(assetKey("Textures\\Base_Wall/METAL2.Tga"), assetKey("textures/base_wall\\metal2.tga"));
    EXPECT_NE(assetKey("textures/wall_a"), assetKey("textures/wall-a"));
    // Bytes outside ASCII are kept as they are rather than mangled.
    EXPECT_EQ(assetKey("\xc3\x84gypten"), "\xc3\x84gypten");
}

TEST(CandidateNames, TriesTheNameAsStoredThenEachExtensionInOrder) {
    const std::vector<std::string> expected{
        "textures/base/wall.jpg", "textures/base/wall.png",  "textures/base/wall.tga",
        "textures/base/wall.jpeg", "textures/base/wall.dds", "textures/base/wall.bmp",
    };
    EXPECT_EQ(candidateNames("Textures\\Base\\Wall.JPG"), expected);
    // Only the last component's extension is replaced.
    const std::vector<std::string> plain = candidateNames("textures/v1.2/plain");
    ASSERT_EQ(plain.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(plain.begin(), plain.begin() + 3),
              (std::vector<std::string>{"textures/v1.2/plain", "textures/v1.2/plain.png", "textures/v1.2/plain.tga"}));
}

TEST(CandidateNames, TriesANameWithoutFolderUnderTexturesAndImagesToo) {
    const std::vector<std::string> names = candidateNames("Sky");
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names[0], "sky");
    EXPECT_EQ(names[6], "sky.bmp");
    EXPECT_EQ(names[7], "textures/sky");
    EXPECT_EQ(names[8], "textures/sky.png");
    EXPECT_EQ(names[14], "images/sky");
    EXPECT_EQ(names[20], "images/sky.bmp");
}

TEST(LooksLikeZip, GoesByTheFirstBytesOnly) {
    const std::uint8_t local[] = {'P', 'K', 3, 4, 0};
    const std::uint8_t empty[] = {'P', 'K', 5, 6};
    const std::uint8_t other[] = {'P', 'K', 7, 8};
    EXPECT_TRUE(looksLikeZip(local, sizeof local));
    EXPECT_TRUE(looksLikeZip(empty, sizeof empty));
    EXPECT_FALSE(looksLikeZip(other, sizeof other));
    EXPECT_FALSE(looksLikeZip(local, 3));
}
