// packColour: how a Vector3 colour becomes a 32-bit pixel word.
#pragma once

#include <cstdint>

#if defined(__GNUC__) && defined(__SSE2__)
#define RT_TRUNCATE_ASM 1
#elif defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define RT_TRUNCATE_INTRINSIC 1
#else
#include "bmpwindow/truncate.h"
#endif

#include "math/vector3.h"

// The low 8 bits of trunc(255·c), product in double. Not clamped: 1.2 wraps to
// 50 and -0.5 to 129. A product with no 32-bit truncation gives 0, as the low
// byte of x86's 0x80000000 does.
inline std::uint32_t colourByte(float c) {
    const double v = 255.0 * static_cast<double>(c);
    // The instruction itself gives 0x80000000 for what does not fit. GCC
    // folds its intrinsic on constants to INT_MAX instead, so it is written out.
#if defined(RT_TRUNCATE_ASM)
    std::int32_t t;
    __asm__("cvttsd2si %1, %0" : "=r"(t) : "x"(v));
    return static_cast<std::uint32_t>(t) & 0xFFu;
#elif defined(RT_TRUNCATE_INTRINSIC)
    return static_cast<std::uint32_t>(_mm_cvttsd_si32(_mm_set_sd(v))) & 0xFFu;
#else
    const std::optional<std::int32_t> t = truncToInt32(v);
    return t ? static_cast<std::uint32_t>(*t) & 0xFFu : 0u;
#endif
}

// x in bits 0-7, y in 8-15, z in 16-23. The surface shows bits 16-23 as red,
// so a colour's x shows as blue.
inline std::uint32_t packColour(const Vector3& colour) {
    return colourByte(colour.x) | colourByte(colour.y) << 8 | colourByte(colour.z) << 16;
}
