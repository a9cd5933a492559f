#pragma once

// The distance from a marked point to another, for the measuring key.

#include <array>
#include <cmath>

namespace Qor {

struct Measurement {
    double distance = 0.0;
    std::array<double, 3> delta{};  // to minus from, along x, y and z
};

inline Measurement measureBetween(const std::array<double, 3>& from, const std::array<double, 3>& to) {
    Measurement m;
    for (std::size_t k = 0; k < 3; ++k) m.delta[k] = to[k] - from[k];
    m.distance = std::sqrt(m.delta[0] * m.delta[0] + m.delta[1] * m.delta[1] + m.delta[2] * m.delta[2]);
    return m;
}

}  // namespace Qor
