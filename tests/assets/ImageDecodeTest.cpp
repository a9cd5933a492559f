#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <stb_image.h>

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

// Points every component of a written JPEG's scan at Huffman tables 3,
// which the writer never defines; without its data, the scan's header is
// followed by the end of the image.
Bytes withUndefinedTables(Bytes jpeg, bool withData = true) {
    for (std::size_t i = 0; i + 4 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xda) {
            for (std::size_t c = 0; c < jpeg[i + 4]; ++c) jpeg[i + 6 + 2 * c] = 0x33;
            const std::size_t headerEnd = i + 2 + (std::size_t{jpeg[i + 2]} << 8) + jpeg[i + 3];
            if (!withData) jpeg.erase(jpeg.begin() + static_cast<std::ptrdiff_t>(headerEnd), jpeg.end() - 2);
            return jpeg;
        }
    ADD_FAILURE() << "the writer wrote no scan";
    return jpeg;
}

// A BMP of 2 rows of 4 texels, 4 bits each, from the bottom, after a 40-byte
// header and a palette of `colours` (blue, green, red, unused).
Bytes indexedBmp(const Bytes& colours, const Bytes& rows) {
    Bytes bmp(54);
    bmp[0] = 'B';
    bmp[1] = 'M';
    putU32(bmp, 10, static_cast<std::uint32_t>(54 + colours.size()));
    putU32(bmp, 14, 40);
    putU32(bmp, 18, 4);
    putU32(bmp, 22, 2);
    putU16(bmp, 26, 1);
    putU16(bmp, 28, 4);
    bmp.insert(bmp.end(), colours.begin(), colours.end());
    bmp.insert(bmp.end(), rows.begin(), rows.end());
    putU32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    return bmp;
}

// A palette PNG of one row of four texels of 8 bits, naming `indices` of
// two colours, blue and green. The row is one stored (not compressed) zlib
// block; stb reads no check values, so they are left zero.
Bytes palettePng(const Bytes& indices) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&png](const char* type, const Bytes& data) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(data.size() >> shift));
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        png.insert(png.end(), 4, 0);
    };
    chunk("IHDR", {0, 0, 0, 4, 0, 0, 0, 1, 8, 3, 0, 0, 0});
    chunk("PLTE", {0, 0, 255, 0, 255, 0});
    Bytes idat{0x78, 0x01, 0x01, 5, 0, 0xfa, 0xff, 0};  // zlib header, final stored block of 5, filter none
    idat.insert(idat.end(), indices.begin(), indices.end());
    idat.insert(idat.end(), 4, 0);
    chunk("IDAT", idat);
    chunk("IEND", {});
    return png;
}

// A 16-colour gradient written by ImageMagick in `format` (its options
// first), decoded.
DecodeResult decodeConverted(const std::string& format) {
    const TempFolder folder;
    const std::string path = folder.path() + "/image";
    const std::string command = "convert -size 16x16 gradient:red-blue -colors 16 " + format + path;
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
    std::ifstream in(path, std::ios::binary);
    return decode(Bytes(std::istreambuf_iterator<char>(in), {}));
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
    // Files that end within their header, which stb fills out with zeros.
    tga.resize(17);
    EXPECT_EQ(decode(tga).fault, "is truncated: the file ends before its texels do");
    bmp.resize(30);
    EXPECT_EQ(decode(bmp).fault, "is truncated: the file ends before its texels do");
}

// stb reads a palette into a table it leaves unset past the file's colours.
TEST(DecodeImage, ReadsPaletteBmpAndPngAndRefusesTexelsNamingColoursTheirPaletteLacks) {
    const Bytes blue{0, 0, 255, 255};
    const Bytes green{0, 255, 0, 255};
    auto texels = [](std::initializer_list<const Bytes*> colours) {
        Bytes all;
        for (const Bytes* colour : colours) all.insert(all.end(), colour->begin(), colour->end());
        return all;
    };
    const Bytes colours{255, 0, 0, 0, 0, 255, 0, 0};  // blue, then green
    // Rows padded to 4 bytes; the bottom row comes first.
    const DecodeResult bmp = decode(indexedBmp(colours, {0x01, 0x10, 0, 0, 0x11, 0x00, 0, 0}));
    ASSERT_EQ(bmp.fault, "");
    EXPECT_EQ(bmp.image.levels[0].bytes, texels({&green, &green, &blue, &blue, &blue, &green, &green, &blue}));
    const DecodeResult png = decode(palettePng({0, 1, 1, 0}));
    ASSERT_EQ(png.fault, "");
    EXPECT_EQ(png.image.levels[0].bytes, texels({&blue, &green, &green, &blue}));

    const std::string fault = "is corrupt: a texel names a colour that its palette does not hold";
    EXPECT_EQ(decode(indexedBmp(colours, {0x01, 0x12, 0, 0, 0x11, 0x00, 0, 0})).fault, fault);
    EXPECT_EQ(decode(palettePng({0, 1, 2, 0})).fault, fault);
    // The rows start within the headers: stb would count the palette negative.
    Bytes before = indexedBmp(colours, {0, 0, 0, 0, 0, 0, 0, 0});
    putU32(before, 10, 10);
    EXPECT_EQ(decode(before).fault, fault);
}

// Kinds of file stb's writers do not make: what is checked before stb must
// let another writer's real files through.
TEST(DecodeImage, ReadsAnotherWritersPaletteImagesAndProgressiveJpeg) {
    const DecodeResult truth = decodeConverted("PNG32:");
    ASSERT_EQ(truth.fault, "");
    // ImageMagick writes a TGA's rows from the top whatever origin its header
    // states, unless it is told the origin.
    for (const char* format : {"PNG8:", "-type Palette BMP3:", "-type Palette -compress RLE -orient TopLeft TGA:"}) {
        const DecodeResult palette = decodeConverted(format);
        ASSERT_EQ(palette.fault, "") << format;
        EXPECT_EQ(palette.image.levels[0].bytes, truth.image.levels[0].bytes) << format;
    }
    expectTexels(decodeConverted("-interlace JPEG JPEG:"), truth.image.levels[0].bytes, 8);
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

TEST(DecodeImage, RefusesAJpegScanThatUsesATableTheFileDoesNotDefine) {
    EXPECT_EQ(decode(withUndefinedTables(jpegOf(side, side, flatBlocks()))).fault,
              "is corrupt: a scan uses a Huffman table that the file does not define");
}

// What gets past the checks meets a decoder whose memory starts zeroed: stb
// builds a table no segment gave from that memory, which decodes every code
// as symbol 0 without reading a bit. So the picture is flat, whatever the
// heap held before, and no index comes from stale bytes.
TEST(DecodeImage, StbMakesATableNoSegmentGaveFromZeroedMemory) {
    const Bytes jpeg = withUndefinedTables(jpegOf(side, side, flatBlocks()), false);
    for (std::size_t i = 0; i < 16; ++i) {
        // Freed blocks of bytes that are not zero, where the decoder's state may go.
        auto* junk = static_cast<std::uint8_t*>(std::malloc(16384 + i * 1024));
        ASSERT_NE(junk, nullptr);
        std::memset(junk, 0xa5, 16384 + i * 1024);
        asm volatile("" : : "r"(junk) : "memory");
        std::free(junk);
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* texels = stbi_load_from_memory(jpeg.data(), static_cast<int>(jpeg.size()), &width, &height, &channels, 4);
    ASSERT_NE(texels, nullptr) << stbi_failure_reason();
    ASSERT_EQ(width, side);
    ASSERT_EQ(height, side);
    const Bytes got(texels, texels + side * side * 4);
    stbi_image_free(texels);
    for (std::size_t i = 4; i < got.size(); ++i) ASSERT_EQ(got[i], got[i % 4]) << i;
}

TEST(DecodeImage, RefusesWhatIsNoImageAndFormatsOtherThanTheFour) {
    // Besides text and nothing, a grey PNM and a GIF header: formats stb reads, not built in.
    for (const std::string& bytes : {std::string("hello"), std::string(), std::string("P5\n1 1\n255\n\x80"),
                                     std::string("GIF89a\x01\x00\x01\x00", 10)})
        EXPECT_EQ(decode(Bytes(bytes.begin(), bytes.end())).fault, "is not an image of a known format, or is corrupt")
            << bytes;
}
