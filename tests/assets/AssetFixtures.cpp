#include "AssetFixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <stb_image_write.h>
#include <zip.h>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "orvandel-assets-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
}

std::string TempFolder::write(const std::string& relative, const Bytes& bytes) const {
    const fs::path path = fs::path(path_) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

Bytes patternTexels(int width, int height) {
    Bytes texels(static_cast<std::size_t>(width * height * 4));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* t = &texels[static_cast<std::size_t>((y * width + x) * 4)];
            t[0] = static_cast<std::uint8_t>(x * 16 + 1);
            t[1] = static_cast<std::uint8_t>(y * 16 + 2);
            t[2] = static_cast<std::uint8_t>((x + y) * 8 + 3);
            t[3] = static_cast<std::uint8_t>(255 - x - y);
        }
    return texels;
}

namespace {

// What one of stb's writers writes, through its callback.
template <typename Write> Bytes written(Write write) {
    Bytes out;
    write([](void* context, void* data, int size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + size);
    }, &out);
    return out;
}

}  // namespace

Bytes pngOf(int width, int height, const Bytes& texels) {
    return written([&](auto append, Bytes* out) { stbi_write_png_to_func(append, out, width, height, 4, texels.data(), width * 4); });
}

Bytes bmpOf(int width, int height, const Bytes& texels) {
    return written([&](auto append, Bytes* out) { stbi_write_bmp_to_func(append, out, width, height, 4, texels.data()); });
}

Bytes tgaOf(int width, int height, const Bytes& texels, bool runLength) {
    stbi_write_tga_with_rle = runLength ? 1 : 0;
    return written([&](auto append, Bytes* out) { stbi_write_tga_to_func(append, out, width, height, 4, texels.data()); });
}

Bytes jpegOf(int width, int height, const Bytes& texels) {
    return written([&](auto append, Bytes* out) { stbi_write_jpg_to_func(append, out, width, height, 4, texels.data(), 100); });
}

Bytes zipOf(const std::vector<std::pair<std::string, Bytes>>& members, bool stored) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("zip_open_from_source");
    for (const auto& [name, bytes] : members) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) throw std::runtime_error("zip_file_add");
        if (stored) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) throw std::runtime_error("zip_close");
    Bytes out;
    zip_stat_t stat;
    zip_source_stat(target, &stat);
    zip_source_open(target);
    out.resize(static_cast<std::size_t>(stat.size));
    zip_source_read(target, out.data(), out.size());
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return out;
}

void putU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    putU16(bytes, at, static_cast<std::uint16_t>(value));
    putU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t getU32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t k = 4; k-- > 0;) value = value << 8 | bytes[at + k];
    return value;
}

Bytes ddsOf(std::uint32_t width, std::uint32_t height, const char* fourCC, std::uint32_t mipCount,
            const Bytes& payload) {
    Bytes bytes;
    bytes.reserve(128 + payload.size());
    bytes.resize(128, 0);
    std::copy_n("DDS ", 4, bytes.begin());
    putU32(bytes, 4, 124);
    putU32(bytes, 8, 0x1007 | (mipCount ? 0x20000u : 0u));
    putU32(bytes, 12, height);
    putU32(bytes, 16, width);
    putU32(bytes, 28, mipCount);
    putU32(bytes, 76, 32);
    if (fourCC) {
        putU32(bytes, 80, 0x4);
        for (int i = 0; i < 4; ++i) bytes[84 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(fourCC[i]);
    } else {
        // 32-bit texels stored B, G, R, A in memory.
        putU32(bytes, 80, 0x41);
        putU32(bytes, 88, 32);
        putU32(bytes, 92, 0x00ff0000);
        putU32(bytes, 96, 0x0000ff00);
        putU32(bytes, 100, 0x000000ff);
        putU32(bytes, 104, 0xff000000);
    }
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}
