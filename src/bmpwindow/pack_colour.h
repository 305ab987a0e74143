// packColour: how a Vector3 colour becomes a 32-bit pixel word.
#pragma once

#include <cstdint>

#include "bmpwindow/truncate.h"
#include "math/vector3.h"

// The low 8 bits of trunc(255·c), product in double. Not clamped: 1.2 wraps to
// 50 and -0.5 to 129. A product with no 32-bit truncation gives 0, as the low
// byte of x86's 0x80000000 does.
inline std::uint32_t colourByte(float c) {
    const std::optional<std::int32_t> v = truncToInt32(255.0 * c);
    return v ? static_cast<std::uint32_t>(*v) & 0xFFu : 0u;
}

// x in bits 0-7, y in 8-15, z in 16-23. The surface shows bits 16-23 as red,
// so a colour's x shows as blue.
inline std::uint32_t packColour(const Vector3& colour) {
    return colourByte(colour.x) | colourByte(colour.y) << 8 | colourByte(colour.z) << 16;
}
