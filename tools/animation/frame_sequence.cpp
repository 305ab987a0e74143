#include "animation/frame_sequence.h"

#include <cmath>

std::int64_t FrameSequence::count(std::int64_t limit) const {
    if (!(from < to)) return 0;
    const double estimate = std::ceil((to - from) * fps);
    if (!(estimate <= static_cast<double>(limit) + 2.0)) return limit + 1;
    // The estimate can be off by one either way through rounding; frame times
    // never decrease with k, so step to the first k whose time is not before `to`.
    auto k = static_cast<std::int64_t>(estimate);
    while (k > 0 && !(secondsAt(k - 1) < to)) --k;
    while (secondsAt(k) < to) ++k;
    return k > limit ? limit + 1 : k;
}
