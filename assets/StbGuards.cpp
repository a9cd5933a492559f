#include "StbGuards.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ByteReader.h"
#include "StoredLayouts.h"

namespace Qor {

namespace {

// A PNG's chunks: a big-endian length, a type, the data and a check value.
constexpr std::size_t chunkFraming = 12;

// PNG and JPEG are big-endian.
std::size_t readBigU16(const std::uint8_t* p) { return (std::size_t{p[0]} << 8) | p[1]; }

std::uint32_t readBigU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Whether a whole PNG chunk starts at `at`.
bool fitsFrom(const std::uint8_t* bytes, std::size_t size, std::size_t at) {
    return at <= size && size - at >= chunkFraming && readBigU32(bytes + at) <= size - at - chunkFraming;
}

// Reads the tables of one Huffman table segment (the bytes after its
// length up to its end), handing each table's class and id byte, its code
// lengths and symbol count to `table`. Bytes past the file count as zeros, as
// the decoder reads them. Stops early when `table` answers false.
template <typename TableFn>
bool forEachHuffmanTable(const std::uint8_t* bytes, std::size_t size, std::size_t begin, std::size_t end,
                         TableFn table) {
    auto at = [&](std::size_t i) -> std::size_t { return i < size ? bytes[i] : 0u; };
    std::size_t lengths[Jpeg::codeLengths];
    for (std::size_t pos = begin; pos < end;) {
        std::size_t symbols = 0;
        for (std::size_t i = 0; i < Jpeg::codeLengths; ++i) symbols += lengths[i] = at(pos + 1 + i);
        if (!table(at(pos), lengths, symbols)) return false;
        pos += 1 + Jpeg::codeLengths + symbols;
    }
    return true;
}

// stb_image takes any compression it does not know to be run-length coded
// or embedded, including values past 2^31, as plain rows.
bool bmpHasPlainRows(const std::uint8_t* bytes) {
    const std::uint32_t compression = readU32(bytes + Bmp::compressionField);
    return compression != Bmp::runLength8 && compression != Bmp::runLength4 &&
           (compression < Bmp::firstEmbedded || compression > static_cast<std::uint32_t>(INT_MAX));
}

std::uint64_t bmpRows(const std::uint8_t* bytes) {
    const auto height = static_cast<std::int32_t>(readU32(bytes + Bmp::heightField));
    return height < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(std::int64_t{height})
                      : static_cast<std::uint64_t>(height);
}

std::uint64_t bmpRowBytes(const std::uint8_t* bytes) {
    return (std::uint64_t{readU32(bytes + Bmp::widthField)} * readU16(bytes + Bmp::bitsPerTexelField) + 31) / 32 * 4;
}

}  // namespace

bool isBmp(const std::uint8_t* bytes, std::size_t size) { return size >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

bool isPng(const std::uint8_t* bytes, std::size_t size) {
    return size >= sizeof Png::signature && std::memcmp(bytes, Png::signature, sizeof Png::signature) == 0;
}

// The decoder takes any number of 0xff before the first marker.
bool isJpeg(const std::uint8_t* bytes, std::size_t size) {
    std::size_t pos = 0;
    while (pos < size && bytes[pos] == Jpeg::markerStart) ++pos;
    return pos > 0 && pos < size && bytes[pos] == Jpeg::startOfImage;
}

// TGA files have no magic: a file is taken for one when it is none of the others.
bool isPngOrJpeg(const std::uint8_t* bytes, std::size_t size) {
    return isJpeg(bytes, size) || (size >= 2 && bytes[0] == Png::signature[0] && bytes[1] == Png::signature[1]);
}

// stb_image (as of 2.27) writes past its tables when a JPEG's Huffman table
// holds more than 256 symbols, reads before them when the code lengths ask for
// more codes than a prefix code has, and reads the tables before anything else, the
// size included. Its decoder skips stray bytes looking for markers, so rather
// than follow it, every table segment marker in the file is checked, wherever
// it is: valid entropy-coded data never holds one.
bool jpegTablesFit(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t pos = 0; pos + 1 < size; ++pos) {
        if (bytes[pos] != Jpeg::markerStart || bytes[pos + 1] != Jpeg::huffmanTables) continue;
        const std::size_t lengthAt = pos + 2;
        const std::size_t length = lengthAt + 1 < size ? readBigU16(bytes + lengthAt) : 0;
        const bool fit = forEachHuffmanTable(bytes, size, lengthAt + 2, lengthAt + length,
                                             [](std::size_t, const std::size_t* lengths, std::size_t symbols) {
            // A prefix code has room for 2^16 codes of 16 bits; one that asks
            // for more sends stb's decoder to a symbol before its table.
            std::uint64_t room = 0;
            for (std::size_t i = 0; i < Jpeg::codeLengths; ++i)
                room += std::uint64_t{lengths[i]} << (Jpeg::codeLengths - 1 - i);
            return symbols <= Jpeg::maxSymbols && room <= (std::uint64_t{1} << Jpeg::codeLengths);
        });
        if (!fit) return false;
    }
    return true;
}

// Whether every scan names Huffman tables that segments before it defined,
// walking the segments as a decoder does. stb_image decodes with a table no
// segment gave as it finds it (all zeros, in the way it is built here): the
// picture would be made up.
bool jpegScansHaveTheirTables(const std::uint8_t* bytes, std::size_t size) {
    bool defined[2][Jpeg::tableIds] = {};
    bool progressive = false;
    std::size_t pos = 0;
    while (pos < size && bytes[pos] == Jpeg::markerStart) ++pos;
    for (++pos; pos < size;) {
        // Between segments and in entropy-coded data, what is not a marker is skipped.
        if (bytes[pos++] != Jpeg::markerStart) continue;
        while (pos < size && bytes[pos] == Jpeg::markerStart) ++pos;
        if (pos >= size) break;
        const std::uint8_t marker = bytes[pos++];
        if (marker == Jpeg::endOfImage) break;
        if (marker == Jpeg::stuffedByte || (marker >= Jpeg::firstRestart && marker <= Jpeg::lastRestart)) continue;
        if (pos + 2 > size) break;
        const std::size_t end = pos + std::max<std::size_t>(readBigU16(bytes + pos), 2);
        if (marker == Jpeg::progressiveFrame) progressive = true;
        if (marker == Jpeg::huffmanTables)
            forEachHuffmanTable(bytes, size, pos + 2, end, [&](std::size_t classAndId, const std::size_t*, std::size_t) {
                const std::size_t tableClass = classAndId >> 4;
                const std::size_t id = classAndId & 15u;
                if (tableClass < 2 && id < Jpeg::tableIds) defined[tableClass][id] = true;
                return true;
            });
        if (marker == Jpeg::startOfScan && pos + Jpeg::scanComponentsField < size) {
            const std::size_t components = bytes[pos + Jpeg::scanComponentsField];
            const std::size_t bandAt = pos + Jpeg::scanComponentsField + 1 + components * Jpeg::scanComponentSize;
            if (bandAt >= size) break;
            // A progressive scan codes either the DC band or AC coefficients.
            const bool usesDc = !progressive || bytes[bandAt] == 0;
            const bool usesAc = !progressive || bytes[bandAt] != 0;
            for (std::size_t c = 0; c < components; ++c) {
                const std::uint8_t tables = bytes[pos + Jpeg::scanComponentsField + 2 + c * Jpeg::scanComponentSize];
                const std::size_t dc = tables >> 4;
                const std::size_t ac = tables & 15u;
                if (usesDc && (dc >= Jpeg::tableIds || !defined[0][dc])) return false;
                if (usesAc && (ac >= Jpeg::tableIds || !defined[1][ac])) return false;
            }
        }
        pos = end;
    }
    return true;
}

// stb_image reads a TGA or BMP past its end as zeros; these tell whether the
// file holds every byte its header promises. A file that is neither passes;
// one that stb took for one but that ends within the header does not: a
// 17-byte file would otherwise decode to hundreds of megabytes.
bool tgaHoldsItsTexels(const std::uint8_t* bytes, std::size_t size) {
    if (size < Tga::headerSize) return false;
    const std::uint8_t type = bytes[Tga::imageTypeField];
    const bool stored = type >= Tga::firstStoredType && type <= Tga::lastStoredType;
    const bool runLength = type >= Tga::firstRunLengthType && type <= Tga::lastRunLengthType;
    if (!stored && !runLength) return true;
    const std::uint64_t texelBytes = (std::uint64_t{bytes[Tga::bitsPerTexelField]} + 7) / 8;
    const std::uint64_t entryBytes = (std::uint64_t{bytes[Tga::colourMapEntryBitsField]} + 7) / 8;
    const std::uint64_t texels = std::uint64_t{readU16(bytes + Tga::widthField)} * readU16(bytes + Tga::heightField);
    std::uint64_t at = Tga::headerSize + bytes[Tga::idLengthField] +
                       readU16(bytes + Tga::colourMapLengthField) * entryBytes;
    if (stored) return at + texels * texelBytes <= size;
    for (std::uint64_t done = 0; done < texels;) {
        if (at >= size) return false;
        const std::uint8_t packet = bytes[at++];
        const std::uint64_t count = (packet & 0x7fu) + 1u;
        at += (packet & 0x80u) ? texelBytes : count * texelBytes;
        done += count;
    }
    return at <= size;
}

bool bmpHoldsItsTexels(const std::uint8_t* bytes, std::size_t size) {
    if (size < Bmp::infoHeaderEnd) return false;
    if (!bmpHasPlainRows(bytes)) return true;
    return readU32(bytes + Bmp::texelsOffsetField) + bmpRowBytes(bytes) * bmpRows(bytes) <= size;
}

// stb_image reads a palette of as many colours as fit between the headers
// and the rows, into a table it leaves unset beyond them; a texel naming a
// colour past them, or a palette it counts negative, would paint whatever its
// stack held. This counts the palette as stb does and reads every index.
bool bmpPaletteCoversItsTexels(const std::uint8_t* bytes, std::size_t size) {
    const std::uint16_t bits = readU16(bytes + Bmp::bitsPerTexelField);
    if (!bmpHasPlainRows(bytes) || (bits != 1 && bits != 4 && bits != Bmp::maxIndexedBits)) return true;
    const std::int64_t offset = readU32(bytes + Bmp::texelsOffsetField);
    const std::uint32_t infoHeader = readU32(bytes + Bmp::infoHeaderSizeField);
    // For the oldest header, stb counts 24 bytes of it rather than 12.
    const std::int64_t colours = infoHeader == Bmp::oldestHeaderSize
                                     ? (offset - std::int64_t{Bmp::fileHeaderSize} - 2 * Bmp::oldestHeaderSize) / 3
                                     : (offset - std::int64_t{Bmp::fileHeaderSize} - infoHeader) / 4;
    if (colours < 1) return false;
    const std::uint64_t width = readU32(bytes + Bmp::widthField);
    const std::uint64_t rowBytes = bmpRowBytes(bytes);
    const std::uint64_t rows = bmpRows(bytes);
    const std::uint32_t mask = (1u << bits) - 1;
    // Bytes past the end read as index 0, which the palette holds.
    for (std::uint64_t row = 0; row < rows; ++row) {
        const std::uint64_t start = static_cast<std::uint64_t>(offset) + row * rowBytes;
        for (std::uint64_t x = 0; x < width; ++x) {
            const std::uint64_t bit = x * bits;
            if (start + bit / 8 >= size) return true;
            const std::uint32_t index = (bytes[start + bit / 8] >> (8 - bits - bit % 8)) & mask;
            if (index >= static_cast<std::uint64_t>(colours)) return false;
        }
    }
    return true;
}

// stb_image allocates what a PNG chunk says it holds before reading it, so
// a chunk claiming more bytes than the file has would cost gigabytes. Each
// chunk is its length, type, data and check value, up to IEND.
bool pngChunksFit(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t at = sizeof Png::signature; fitsFrom(bytes, size, at); at += chunkFraming + readBigU32(bytes + at))
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) return true;
    return false;
}

// stb_image will not even read the size of a PNG it deems too large to
// decode, so the size is taken from the PNG's header here.
bool pngSize(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width, std::uint32_t& height) {
    if (size < Png::headerEnd || std::memcmp(bytes, Png::signature, sizeof Png::signature) != 0 ||
        std::memcmp(bytes + Png::firstChunkTypeField, "IHDR", 4) != 0)
        return false;
    width = readBigU32(bytes + Png::widthField);
    height = readBigU32(bytes + Png::heightField);
    return true;
}

namespace {

constexpr std::size_t fullPalette = 256 * 3;  // bytes of a PLTE chunk of 256 colours
constexpr std::uint8_t indexedColour = 3;     // the header's colour type of palette images

bool isPaletteChunk(const std::uint8_t* chunk) {
    return std::memcmp(chunk + 4, "PLTE", 4) == 0 && readBigU32(chunk) < fullPalette && readBigU32(chunk) % 3 == 0;
}

}  // namespace

// stb_image reads a palette image's colours into a table of 256 on its stack
// and leaves it unset past the PLTE chunk's colours, so a texel naming one of
// those would paint whatever the stack held. Past IEND, chunks need not fit.
bool pngHasShortPalette(const std::uint8_t* bytes, std::size_t size) {
    if (size < Png::headerEnd + 2 || bytes[Png::colourTypeField] != indexedColour) return false;
    for (std::size_t at = sizeof Png::signature; fitsFrom(bytes, size, at); at += chunkFraming + readBigU32(bytes + at))
        if (isPaletteChunk(bytes + at)) return true;
    return false;
}

// stb does not check the chunks' check values, so those of the filled-out
// chunks are left as they were.
std::vector<std::uint8_t> pngWithFullPalettes(const std::uint8_t* bytes, std::size_t size, std::uint8_t fill) {
    std::vector<std::uint8_t> out(bytes, bytes + sizeof Png::signature);
    std::size_t at = sizeof Png::signature;
    for (; fitsFrom(bytes, size, at); at += chunkFraming + readBigU32(bytes + at)) {
        const std::uint8_t* chunk = bytes + at;
        const std::size_t length = readBigU32(chunk);
        if (!isPaletteChunk(chunk)) {
            out.insert(out.end(), chunk, chunk + chunkFraming + length);
            continue;
        }
        out.insert(out.end(), {0, 0, fullPalette >> 8, fullPalette & 0xffu});
        out.insert(out.end(), chunk + 4, chunk + 8 + length);
        out.insert(out.end(), fullPalette - length, fill);
        out.insert(out.end(), chunk + 8 + length, chunk + chunkFraming + length);
    }
    out.insert(out.end(), bytes + at, bytes + size);
    return out;
}

}  // namespace Qor
