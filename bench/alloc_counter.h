#pragma once

#include <atomic>
#include <cstdint>

namespace orvelle::bench {
// Heap allocations made by this process so far; the benchmarks report the count per iteration.
extern std::atomic<uint64_t> g_allocations;
}  // namespace orvelle::bench
