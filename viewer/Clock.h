#pragma once

#include <cstdint>

// The frame timer's time sources: a high-resolution counter with its rate,
// and a millisecond tick count for machines without one.

// Whether the counter exists; if so, its counts per second.
bool queryCounterFrequency(std::int64_t& countsPerSecond);
std::int64_t readCounter();
// Milliseconds since an arbitrary start; wraps after 49.7 days.
std::uint32_t readMilliseconds();
