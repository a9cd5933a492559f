#pragma once

#include <cstddef>
#include <cstdint>

// The few fields of PNG, TGA and BMP files read before decoding: the size of
// a PNG, and how many bytes the texels of a TGA or BMP take, so that a file
// shorter than its header says is refused rather than decoded with made-up
// texels.

namespace Qor::Png {

// Big-endian, unlike the others. The first chunk is the header.
constexpr std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::size_t firstChunkTypeField = 12;  // "IHDR"
constexpr std::size_t widthField = 16;           // u32
constexpr std::size_t heightField = 20;          // u32
constexpr std::size_t headerEnd = 24;
constexpr std::size_t colourTypeField = 25;      // u8, after the bit depth


}  // namespace Qor::Png

namespace Qor::Jpeg {

// Segments start with 0xff and a marker byte; most then hold a big-endian u16
// length counting itself.
constexpr std::uint8_t markerStart = 0xff;
constexpr std::uint8_t startOfImage = 0xd8;
constexpr std::uint8_t endOfImage = 0xd9;
constexpr std::uint8_t huffmanTables = 0xc4;
constexpr std::uint8_t progressiveFrame = 0xc2;
constexpr std::uint8_t startOfScan = 0xda;
// Markers without a length: a stuffed 0xff in entropy-coded data (0x00) and
// the restart markers between its intervals.
constexpr std::uint8_t stuffedByte = 0x00;
constexpr std::uint8_t firstRestart = 0xd0;
constexpr std::uint8_t lastRestart = 0xd7;
// A Huffman table: a class (high nibble, 0 DC, 1 AC) and id (low nibble)
// byte, the count of codes of each of the 16 lengths, then that many
// symbols, at most 256 in all. Ids run 0 to 3.
constexpr std::size_t codeLengths = 16;
constexpr std::size_t maxSymbols = 256;
constexpr std::size_t tableIds = 4;
// A scan's header after its length: the count of components, then for each
// its id and its DC (high nibble) and AC (low nibble) table ids, then the
// first coefficient of the scan's band: 0 in a progressive file's DC scans.
constexpr std::size_t scanComponentsField = 2;
constexpr std::size_t scanComponentSize = 2;

}  // namespace Qor::Jpeg

// TGA and BMP are little-endian.

namespace Qor::Tga {

constexpr std::size_t headerSize = 18;
constexpr std::size_t idLengthField = 0;       // u8, bytes of the image id after the header
constexpr std::size_t imageTypeField = 2;      // u8, see below
constexpr std::size_t colourMapLengthField = 5;  // u16, entries of the colour map after the id
constexpr std::size_t colourMapEntryBitsField = 7;  // u8, bits an entry
constexpr std::size_t widthField = 12;         // u16
constexpr std::size_t heightField = 14;        // u16
constexpr std::size_t bitsPerTexelField = 16;  // u8

// Image types: 1 to 3 store texels as they are, 9 to 11 run-length encoded in
// packets of a count byte (high bit set: one texel repeated; clear: that
// many texels follow) of up to 128 texels.
constexpr std::uint8_t firstStoredType = 1;
constexpr std::uint8_t lastStoredType = 3;
constexpr std::uint8_t firstRunLengthType = 9;
constexpr std::uint8_t lastRunLengthType = 11;

}  // namespace Qor::Tga

namespace Qor::Bmp {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t texelsOffsetField = 10;  // u32, where the rows start
constexpr std::size_t infoHeaderSizeField = 14;  // u32, 12 for the oldest header (3-byte colours), else 4-byte colours
constexpr std::size_t widthField = 18;         // i32
constexpr std::size_t heightField = 22;        // i32, negative for rows from the top
constexpr std::size_t bitsPerTexelField = 28;  // u16
constexpr std::size_t compressionField = 30;   // u32: 1 and 2 run-length coded, 4 on embedded files; other values plain rows
constexpr std::size_t infoHeaderEnd = 34;
constexpr std::uint32_t runLength8 = 1;
constexpr std::uint32_t runLength4 = 2;
constexpr std::uint32_t firstEmbedded = 4;
constexpr std::uint32_t oldestHeaderSize = 12;
// Up to 8 bits a texel, a texel is an index into the palette between the
// headers and the rows.
constexpr std::uint16_t maxIndexedBits = 8;

}  // namespace Qor::Bmp
