// orvandel-fuzz-asset-seeds DIR: writes the starting inputs of the assets
// harness: a small image of each format, DDS files of each kind, and a zip
// archive holding images, one stored and one deflated.

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <stb_image_write.h>
#include <zip.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

void append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A DDS of 8 × 8 with its four levels; fourCC null for 32-bit texels.
Bytes dds(const char* fourCC, std::size_t blockSize) {
    Bytes bytes(128, 0);
    bytes[0] = 'D', bytes[1] = 'D', bytes[2] = 'S', bytes[3] = ' ';
    putU32(bytes, 4, 124);
    putU32(bytes, 8, 0x21007);
    putU32(bytes, 12, 8);
    putU32(bytes, 16, 8);
    putU32(bytes, 28, 4);
    putU32(bytes, 76, 32);
    std::size_t payload = 0;
    if (fourCC) {
        putU32(bytes, 80, 0x4);
        for (std::size_t i = 0; i < 4; ++i) bytes[84 + i] = static_cast<std::uint8_t>(fourCC[i]);
        payload = (4 + 1 + 1 + 1) * blockSize;
    } else {
        putU32(bytes, 80, 0x41);
        putU32(bytes, 88, 32);
        putU32(bytes, 92, 0x00ff0000);
        putU32(bytes, 96, 0x0000ff00);
        putU32(bytes, 100, 0x000000ff);
        putU32(bytes, 104, 0xff000000);
        payload = (64 + 16 + 4 + 1) * 4;
    }
    for (std::size_t i = 0; i < payload; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 37));
    return bytes;
}

Bytes zipOf(const std::vector<std::pair<std::string, Bytes>>& members) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    Bytes out;
    if (!archive) return out;
    zip_uint64_t index = 0;
    for (const auto& [name, bytes] : members) {
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, bytes.data(), bytes.size(), 0), 0);
        if (index++ == 0) zip_set_file_compression(archive, 0, ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(target, &stat);
    out.resize(static_cast<std::size_t>(stat.size));
    zip_source_open(target);
    zip_source_read(target, out.data(), out.size());
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return out;
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
    std::vector<std::pair<std::string, Bytes>> seeds(5);
    seeds[0].first = "a.png";
    stbi_write_png_to_func(append, &seeds[0].second, side, side, 4, texels.data(), side * 4);
    seeds[1].first = "a.bmp";
    stbi_write_bmp_to_func(append, &seeds[1].second, side, side, 4, texels.data());
    seeds[2].first = "a.jpg";
    stbi_write_jpg_to_func(append, &seeds[2].second, side, side, 4, texels.data(), 90);
    seeds[3].first = "rle.tga";
    stbi_write_tga_with_rle = 1;
    stbi_write_tga_to_func(append, &seeds[3].second, side, side, 4, texels.data());
    seeds[4].first = "plain.tga";
    stbi_write_tga_with_rle = 0;
    stbi_write_tga_to_func(append, &seeds[4].second, side, side, 3, texels.data());
    seeds.emplace_back("dxt1.dds", dds("DXT1", 8));
    seeds.emplace_back("dxt3.dds", dds("DXT3", 16));
    seeds.emplace_back("dxt5.dds", dds("DXT5", 16));
    seeds.emplace_back("rgba.dds", dds(nullptr, 0));
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
