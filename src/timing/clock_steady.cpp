#include <chrono>

#include "timing/clock.h"

double nowSeconds() {
    using Clock = std::chrono::steady_clock;
    static_assert(Clock::period::num == 1, "a tick is a whole fraction of a second");
    return ticksToSeconds(Clock::now().time_since_epoch().count(), Clock::period::den);
}
