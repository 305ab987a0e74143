#pragma once

#include <windows.h>

// The two counter queries under nowSeconds; null restores the system's own.
// Lets a test stand in a counter of its choosing.
using CounterQuery = BOOL(WINAPI*)(LARGE_INTEGER*);
void setCounterQueries(CounterQuery counter, CounterQuery frequency);
