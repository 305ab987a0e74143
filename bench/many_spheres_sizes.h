// The sphere counts of the ManySpheres cases, shared so that the Embree
// comparison times the same fields as the renderer's cases.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

inline void manySpheresSizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t n : {4, 64, 256, 1024, 16384, 65536}) b->Arg(n);
    b->ArgName("N")->Unit(benchmark::kMillisecond);
}
