// Reads each input as an image file, and when it is a zip archive, reads each
// of its members and decodes them as images too. Checks what a decoded image
// promises its users: a size within the limits and levels holding exactly
// the bytes their size and format take.

#include <cstdint>
#include <string>
#include <vector>

#include <valgrind/memcheck.h>

#include "AssetPath.h"
#include "Dxt.h"
#include "FuzzInput.h"
#include "ImageDecode.h"
#include "ImageLimits.h"
#include "Scale.h"
#include "ZipArchive.h"

namespace {

// Members beyond these are left: each one costs a decode, and what the
// fuzzer learns from the tenth is what it learnt from the first.
constexpr std::size_t membersRead = 8;
// Scaling and block decoding run only on images this small, to keep the runs fast.
constexpr std::uint32_t smallSide = 64;

void checkImage(const std::uint8_t* data, std::size_t size) {
    const Qor::DecodeResult decoded = Qor::decodeImage(data, size);
    if (!decoded.fault.empty()) {
        require(decoded.image.levels.empty(), "a refused image holds no levels");
        return;
    }
    const Qor::Image& image = decoded.image;
    require(!image.levels.empty(), "a decoded image has a level");
    require(image.width() <= Qor::maxImageSide && image.height() <= Qor::maxImageSide,
            "a decoded image is within the side limit");
    for (const Qor::MipLevel& level : image.levels) {
        require(level.bytes.size() == Qor::levelBytes(image.format, level.width, level.height),
                "a level holds the bytes its size takes");
        // Under valgrind, every texel must come from the file or a rule,
        // never from memory nobody wrote; elsewhere this is no check at all.
        require(VALGRIND_CHECK_MEM_IS_DEFINED(level.bytes.data(), level.bytes.size()) == 0,
                "every texel of a decoded level is set");
    }
    if (image.width() > smallSide || image.height() > smallSide) return;
    const Qor::Image rgba = Qor::decodeBlocks(image);
    const Qor::MipLevel half = Qor::halveRgba8(rgba.levels.front());
    require(half.bytes.size() == Qor::levelBytes(Qor::PixelFormat::rgba8, half.width, half.height),
            "a halved level holds the bytes its size takes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!Qor::looksLikeZip(data, size)) {
        checkImage(data, size);
        return 0;
    }
    std::string fault;
    auto archive = Qor::ZipArchive::openBytes(std::vector<std::uint8_t>(data, data + size), fault);
    if (!archive) return 0;
    std::size_t read = 0;
    for (const Qor::ZipArchive::Member& member : archive->members()) {
        if (read++ == membersRead) break;
        const Qor::ZipArchive::Read bytes = archive->read(member.index);
        require(bytes.fault.empty() || bytes.bytes.empty(), "a refused member holds no bytes");
        require(bytes.bytes.size() <= Qor::maxFileBytes, "a member read is within the size limit");
        if (bytes.fault.empty()) checkImage(bytes.bytes.data(), bytes.bytes.size());
    }
    return 0;
}
