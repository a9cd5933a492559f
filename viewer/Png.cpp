#include "Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng reports errors by longjmp; nothing with a destructor lives between
// the setjmp and the calls that may jump. Writes to the file, or with none
// appends to out.
bool encode(std::FILE* file, std::vector<std::uint8_t>* out, int width, int height,
            const std::vector<std::uint8_t>& rgba) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (file != nullptr)
        png_init_io(png, file);
    else
        png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int row = 0; row < height; ++row)
        png_write_row(png, rgba.data() + static_cast<std::size_t>(row) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool fits(int width, int height, const std::vector<std::uint8_t>& rgba) {
    return width > 0 && height > 0 &&
           rgba.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace

std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> out;
    if (!fits(width, height, rgba) || !encode(nullptr, &out, width, height, rgba)) out.clear();
    return out;
}

bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba) {
    if (!fits(width, height, rgba)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool encoded = encode(file, nullptr, width, height, rgba);
    const bool closed = std::fclose(file) == 0;
    if (encoded && closed) return true;
    std::remove(path.c_str());
    return false;
}
