// orvandel-fuzz-asset-seeds DIR: writes the starting inputs of the assets
// harness: a small image of each format, DDS files of each kind, and a zip
// archive holding images, written with the assets tests' fixtures.

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "AssetFixtures.h"

namespace {

// Blocks or texels of an 8 × 8 image and its three smaller levels.
Bytes ddsSeed(const char* fourCC, std::size_t blockSize) {
    const std::size_t payload = fourCC != nullptr ? (4 + 1 + 1 + 1) * blockSize : (64 + 16 + 4 + 1) * 4;
    Bytes texels(payload);
    for (std::size_t i = 0; i < payload; ++i) texels[i] = static_cast<std::uint8_t>(i * 37);
    return ddsOf(8, 8, fourCC, 4, texels);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "Usage: orvandel-fuzz-asset-seeds DIR\n";
        return 2;
    }
    const int side = 8;
    Bytes texels(side * side * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint8_t>(i % 5 == 0 ? 0 : i * 3);
    std::vector<std::pair<std::string, Bytes>> seeds = {
        {"a.png", pngOf(side, side, texels)},
        {"a.bmp", bmpOf(side, side, texels)},
        {"a.jpg", jpegOf(side, side, texels)},
        {"rle.tga", tgaOf(side, side, texels, true)},
        {"plain.tga", tgaOf(side, side, texels, false)},
        {"dxt1.dds", ddsSeed("DXT1", 8)},
        {"dxt3.dds", ddsSeed("DXT3", 16)},
        {"dxt5.dds", ddsSeed("DXT5", 16)},
        {"rgba.dds", ddsSeed(nullptr, 0)},
    };
    seeds.emplace_back("images.zip", zipOf({seeds[3], seeds[0], seeds[5]}));
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::ofstream file(path, std::ios::binary);
        if (!file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
            std::cerr << "ERROR: Could not write seed file '" << path << "'.\n";
            return 1;
        }
    }
    return 0;
}
