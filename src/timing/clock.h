// nowSeconds: the platform's high-resolution clock, which Stopwatch reads.
#pragma once

#include <cstdint>

// Seconds on the platform's high-resolution monotonic clock, from a fixed
// origin the platform chooses. Not safe to call from two threads at once.
double nowSeconds();

// A tick count read as seconds, divided in double.
inline double ticksToSeconds(std::int64_t ticks, std::int64_t ticksPerSecond) {
    return static_cast<double>(ticks) / static_cast<double>(ticksPerSecond);
}
