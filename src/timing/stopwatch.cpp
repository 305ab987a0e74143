#include "timing/stopwatch.h"

#include "timing/clock.h"

Stopwatch::Stopwatch() : stopped(false) {
    startTime = nowSeconds();
    accumulated = 0.0;
}

double Stopwatch::elapsed() const {
    if (stopped) return accumulated;
    return (nowSeconds() + accumulated) - startTime;
}
