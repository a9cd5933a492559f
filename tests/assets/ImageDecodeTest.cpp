#include <cstdlib>

#include <gtest/gtest.h>

#include "AssetFixtures.h"
#include "ImageDecode.h"

using namespace Qor;

namespace {

constexpr int side = 16;

DecodeResult decode(const Bytes& bytes) { return decodeImage(bytes.data(), bytes.size()); }

// The decoded texels equal the written ones, each channel within tolerance.
void expectTexels(const DecodeResult& decoded, const Bytes& texels, int tolerance) {
    ASSERT_EQ(decoded.fault, "");
    ASSERT_EQ(decoded.image.format, PixelFormat::rgba8);
    ASSERT_EQ(decoded.image.levels.size(), 1u);
    EXPECT_EQ(decoded.image.width(), static_cast<std::uint32_t>(side));
    EXPECT_EQ(decoded.image.height(), static_cast<std::uint32_t>(side));
    const Bytes& got = decoded.image.levels[0].bytes;
    ASSERT_EQ(got.size(), texels.size());
    int worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - texels[i]));
    EXPECT_LE(worst, tolerance);
}

// Blocks of one colour, so that a lossy coder keeps them close.
Bytes flatBlocks() {
    Bytes texels(side * side * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::uint8_t* t = &texels[static_cast<std::size_t>((y * side + x) * 4)];
            t[0] = x < 8 ? 200 : 20;
            t[1] = y < 8 ? 180 : 40;
            t[2] = 90;
            t[3] = 255;
        }
    return texels;
}

}  // namespace

TEST(DecodeImage, ReadsPngBmpAndTgaTexelForTexelWithRowsFromTheTop) {
    const Bytes texels = patternTexels(side, side);
    expectTexels(decode(pngOf(side, side, texels)), texels, 0);
    expectTexels(decode(bmpOf(side, side, texels)), texels, 0);
    expectTexels(decode(tgaOf(side, side, texels, false)), texels, 0);
}

TEST(DecodeImage, ReadsRunLengthEncodedTga) {
    Bytes texels = patternTexels(side, side);
    // A row of one colour, so that the encoder writes a repeat packet too.
    for (int x = 0; x < side; ++x)
        for (int c = 0; c < 4; ++c) texels[static_cast<std::size_t>(x * 4 + c)] = 77;
    const Bytes tga = tgaOf(side, side, texels, true);
    ASSERT_EQ(tga[2], 10);  // true colour, run-length encoded
    expectTexels(decode(tga), texels, 0);
}

TEST(DecodeImage, ReadsJpegCloseToItsTexels) {
    const Bytes texels = flatBlocks();
    expectTexels(decode(jpegOf(side, side, texels)), texels, 8);
}

TEST(DecodeImage, RefusesAHeaderClaimingTooManyTexelsBeforeDecoding) {
    // A PNG whose header says 20000 × 20000 and holds nothing more.
    Bytes png = pngOf(side, side, patternTexels(side, side));
    png.resize(33);
    png[16] = 0, png[17] = 0, png[18] = 0x4e, png[19] = 0x20;
    png[20] = 0, png[21] = 0, png[22] = 0x4e, png[23] = 0x20;
    EXPECT_EQ(decode(png).fault, "is '20000' by '20000' pixels, over '16384' on a side");

    Bytes tga = tgaOf(side, side, patternTexels(side, side), false);
    putU16(tga, 12, 16384);
    putU16(tga, 14, 16384);
    EXPECT_EQ(decode(tga).fault, "would take '1073741824' bytes decoded, over '268435456'");
}

TEST(DecodeImage, RefusesTruncatedFilesOfEachFormat) {
    const Bytes texels = patternTexels(side, side);
    Bytes png = pngOf(side, side, texels);
    png.resize(png.size() / 2);
    EXPECT_EQ(decode(png).fault, "is truncated or corrupt");

    Bytes jpeg = jpegOf(side, side, texels);
    jpeg.resize(jpeg.size() / 2);
    EXPECT_EQ(decode(jpeg).fault, "is truncated or corrupt");

    for (bool runLength : {false, true}) {
        Bytes tga = tgaOf(side, side, texels, runLength);
        tga.resize(tga.size() - 5);
        EXPECT_EQ(decode(tga).fault, "is truncated: the file ends before its texels do") << runLength;
    }

    Bytes bmp = bmpOf(side, side, texels);
    bmp.resize(bmp.size() - 1);
    EXPECT_EQ(decode(bmp).fault, "is truncated: the file ends before its texels do");
    // A TGA whose stated size outgrows its texels.
    Bytes tga = tgaOf(side, side, texels, false);
    putU16(tga, 14, side + 1);
    EXPECT_EQ(decode(tga).fault, "is truncated: the file ends before its texels do");
}

TEST(DecodeImage, RefusesAJpegHuffmanTableOfMoreThan256Symbols) {
    // A table segment of 16 lengths with 17 codes each: 272 symbols, which
    // the decoder would write past its table.
    Bytes jpeg{0xff, 0xd8, 0xff, 0xc4, 0x01, 0x23, 0x00};
    for (int i = 0; i < 16; ++i) jpeg.push_back(17);
    jpeg.resize(jpeg.size() + 272, 1);
    const Bytes rest = jpegOf(side, side, flatBlocks());
    jpeg.insert(jpeg.end(), rest.begin() + 2, rest.end());
    EXPECT_EQ(decode(jpeg).fault, "is corrupt: a Huffman table holds more than '256' symbols");
    // The same place holding a sound table (the usual one for DC
    // differences, 12 symbols) is read; the file's own tables replace it.
    Bytes sound{0xff, 0xd8, 0xff, 0xc4, 0x00, 0x1f, 0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    for (std::uint8_t symbol = 0; symbol < 12; ++symbol) sound.push_back(symbol);
    sound.insert(sound.end(), rest.begin() + 2, rest.end());
    expectTexels(decode(sound), flatBlocks(), 8);
}

TEST(DecodeImage, RefusesWhatIsNoImageAndFormatsOtherThanTheFour) {
    // Besides text and nothing, a grey PNM and a GIF header: stb_image could decode both.
    for (const std::string& bytes : {std::string("hello"), std::string(), std::string("P5\n1 1\n255\n\x80"),
                                     std::string("GIF89a\x01\x00\x01\x00", 10)})
        EXPECT_EQ(decode(Bytes(bytes.begin(), bytes.end())).fault, "is not an image of a known format, or is corrupt")
            << bytes;
}
