#pragma once

#include <cstdint>
#include <string>

namespace Qor {

// Images come from anywhere: these bound what one may cost before a byte of it
// is decoded.
constexpr std::uint32_t maxImageSide = 16384;
constexpr std::uint64_t maxDecodedBytes = 256ull * 1024 * 1024;
// An archive member or loose file is read whole; none may be larger.
constexpr std::uint64_t maxFileBytes = 256ull * 1024 * 1024;

// Why an image of width × height is refused, to follow "it ", or empty when
// it is within the limits (as rgba8, whatever it is stored as).
std::string imageSizeFault(std::uint32_t width, std::uint32_t height);

}  // namespace Qor
