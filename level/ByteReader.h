#pragma once

#include <cstdint>
#include <cstring>

namespace Qor {

// Level files are little-endian. Every multi-byte value is assembled from
// single bytes, so records may start at any byte position and the code does
// not depend on the host's byte order.

inline std::uint8_t readU8(const std::uint8_t* p) { return p[0]; }

inline std::uint16_t readU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Any bit pattern is accepted, NaNs and infinities included.
inline float readF32(const std::uint8_t* p) {
    const std::uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace Qor
