#include "timing/clock_win32.h"

#include "timing/clock.h"

namespace {
// Null until a test sets them: constant-initialised, so the animation clock
// can read the time during static initialisation.
CounterQuery counterQuery = nullptr;
CounterQuery frequencyQuery = nullptr;
LARGE_INTEGER lastCounter;
LARGE_INTEGER lastFrequency;
}  // namespace

void setCounterQueries(CounterQuery counter, CounterQuery frequency) {
    counterQuery = counter;
    frequencyQuery = frequency;
}

double nowSeconds() {
    // Zeroed first, so a failed query reads as 0; the frequency is asked every time.
    lastCounter.QuadPart = 0;
    (counterQuery != nullptr ? counterQuery : QueryPerformanceCounter)(&lastCounter);
    lastFrequency.QuadPart = 0;
    (frequencyQuery != nullptr ? frequencyQuery : QueryPerformanceFrequency)(&lastFrequency);
    return ticksToSeconds(lastCounter.QuadPart, lastFrequency.QuadPart);
}
