#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What stb_image (2.27) must not be handed, and how to tell: each of these
// reads a file's own structure, never past its end, so that a hostile file
// is refused with a reason before the decoder meets it.

namespace Qor {

bool isBmp(const std::uint8_t* bytes, std::size_t size);
bool isPng(const std::uint8_t* bytes, std::size_t size);
bool isJpeg(const std::uint8_t* bytes, std::size_t size);
bool isPngOrJpeg(const std::uint8_t* bytes, std::size_t size);

// No JPEG Huffman table holds more than 256 symbols or more codes than a
// prefix code has room for.
bool jpegTablesFit(const std::uint8_t* bytes, std::size_t size);
// Every scan names Huffman tables that segments before it defined.
bool jpegScansHaveTheirTables(const std::uint8_t* bytes, std::size_t size);

// The file holds every byte of texels its header promises; a file of
// another format passes.
bool tgaHoldsItsTexels(const std::uint8_t* bytes, std::size_t size);
bool bmpHoldsItsTexels(const std::uint8_t* bytes, std::size_t size);
// Every texel of a palette BMP names a colour of its palette.
bool bmpPaletteCoversItsTexels(const std::uint8_t* bytes, std::size_t size);

// Every PNG chunk up to IEND lies within the file.
bool pngChunksFit(const std::uint8_t* bytes, std::size_t size);
// The size a PNG's header states; false when it is no PNG.
bool pngSize(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width, std::uint32_t& height);
// A palette PNG (whose chunks fit) with a PLTE chunk of fewer than 256
// colours, and a copy of it with every such chunk filled out to 256 with
// colours whose every byte is `fill`.
bool pngHasShortPalette(const std::uint8_t* bytes, std::size_t size);
std::vector<std::uint8_t> pngWithFullPalettes(const std::uint8_t* bytes, std::size_t size, std::uint8_t fill);

}  // namespace Qor
