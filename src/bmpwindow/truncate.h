// truncToInt32: float positions and colours to integers, for any value, NaN included.
#pragma once

#include <cstdint>
#include <optional>

// Truncation toward zero into 32 bits, or nothing for NaN, infinities and
// values whose truncation does not fit (where x86 would give 0x80000000).
inline std::optional<std::int32_t> truncToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::nullopt;
    return static_cast<std::int32_t>(v);
}
