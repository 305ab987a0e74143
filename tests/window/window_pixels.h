#pragma once

#include <cstdint>
#include <vector>

#include "bmpwindow/bmp_window.h"

inline std::vector<std::uint32_t> snapshot(const BmpWindow& w) {
    const DibSurface& s = w.surface();
    return {s.pixels(), s.pixels() + static_cast<std::size_t>(s.width()) * s.height()};
}

inline void paintPattern(BmpWindow& w) {
    for (int y = 0; y < w.height(); ++y)
        for (int x = 0; x < w.width(); ++x) w.surface().pixels()[x + y * w.width()] = 0x00010203u * ((x ^ y) & 0x3F);
}
