#include "ZipArchive.h"

#include <zip.h>

#include "ImageLimits.h"

namespace Qor {

namespace {

std::string errorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

}  // namespace

ZipArchive::ZipArchive(zip* archive, std::vector<std::uint8_t> bytes) : archive_(archive), bytes_(std::move(bytes)) {
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive_, index, ZIP_FL_ENC_RAW);
        if (!name || !*name) continue;
        std::string text(name);
        if (text.back() == '/') continue;
        members_.push_back({std::move(text), index});
    }
}

ZipArchive::~ZipArchive() { zip_discard(archive_); }

std::unique_ptr<ZipArchive> ZipArchive::openFile(const std::string& path, std::string& fault) {
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        fault = errorText(code);
        return nullptr;
    }
    return std::unique_ptr<ZipArchive>(new ZipArchive(archive, {}));
}

std::unique_ptr<ZipArchive> ZipArchive::openBytes(std::vector<std::uint8_t> bytes, std::string& fault) {
    zip_error_t error;
    zip_error_init(&error);
    // The source does not copy: the bytes move into the archive object and
    // stay put there, since a vector's storage survives the move.
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        fault = zip_error_strerror(&error);
        if (source) zip_source_free(source);
        zip_error_fini(&error);
        return nullptr;
    }
    zip_error_fini(&error);
    return std::unique_ptr<ZipArchive>(new ZipArchive(archive, std::move(bytes)));
}

ZipArchive::Read ZipArchive::read(std::uint64_t index) const {
    Read result;
    std::lock_guard<std::mutex> lock(reading_);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        result.fault = "could not be read: the archive library says '" + std::string(zip_strerror(archive_)) + "'";
        return result;
    }
    const std::uint64_t stated = stat.size;
    if (stated > maxFileBytes) {
        result.fault = "is '" + std::to_string(stated) + "' bytes uncompressed, over '" + std::to_string(maxFileBytes) +
                       "'";
        return result;
    }
    zip_file_t* file = zip_fopen_index(archive_, index, 0);
    if (!file) {
        result.fault = "could not be read: the archive library says '" + std::string(zip_strerror(archive_)) + "'";
        return result;
    }
    // One byte more than stated, to tell a member that holds more.
    result.bytes.resize(static_cast<std::size_t>(stated) + 1);
    std::uint64_t got = 0;
    while (got < result.bytes.size()) {
        const zip_int64_t n = zip_fread(file, result.bytes.data() + got, result.bytes.size() - got);
        if (n < 0) {
            result.fault =
                "could not be read: the archive library says '" + std::string(zip_file_strerror(file)) + "'";
            break;
        }
        if (n == 0) break;
        got += static_cast<std::uint64_t>(n);
    }
    zip_fclose(file);
    if (result.fault.empty() && got > stated)
        result.fault = "holds more than its stated '" + std::to_string(stated) + "' bytes";
    else if (result.fault.empty() && got < stated)
        result.fault = "holds fewer than its stated '" + std::to_string(stated) + "' bytes";
    if (!result.fault.empty())
        result.bytes.clear();
    else
        result.bytes.resize(static_cast<std::size_t>(stated));
    return result;
}

}  // namespace Qor
