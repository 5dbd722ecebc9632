// The remap hook's decision, per key event of the whole desktop.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "engine/remap.h"

namespace orvelle {
namespace {

struct Fixture {
  std::array<KeyMap, 3> maps{IdentityKeyMap(), IdentityKeyMap(), IdentityKeyMap()};
  OutputQueue queue{8192};
  Fixture() { maps[0][112] = {17, 16, 67}; }
  RemapInputs Inputs() const { return RemapInputs{true, 1, {&maps[0], &maps[1], &maps[2]}}; }
};

void Run(benchmark::State& state, int vk, uint32_t flags, bool drain) {
  Fixture f;
  const RemapInputs inputs = f.Inputs();
  const uint64_t before = bench::g_allocations.load();
  for (auto _ : state) {
    const KeyDecision d = HandleKeyEvent(vk, flags, inputs, f.queue, [] { return int16_t{1}; });
    benchmark::DoNotOptimize(d);
    // Emptied now and then, outside the timing, so the ring never needs to grow.
    if (drain && f.queue.size() > 4096) {
      state.PauseTiming();
      while (f.queue.PopOutputEvent() != 0) {
      }
      state.ResumeTiming();
    }
  }
  state.counters["allocs/event"] = benchmark::Counter(
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations()));
}

void BM_DecidePassThroughInjected(benchmark::State& s) { Run(s, 65, 0x10, false); }
void BM_DecidePassThroughUnmapped(benchmark::State& s) { Run(s, 300, 0x00, false); }
void BM_DecideIdentityKey(benchmark::State& s) { Run(s, 65, 0x00, false); }
void BM_DecideRemappedPress(benchmark::State& s) { Run(s, 112, 0x00, false); }
void BM_DecideRemappedRelease3Keys(benchmark::State& s) { Run(s, 112, 0x80, true); }

BENCHMARK(BM_DecidePassThroughInjected)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecidePassThroughUnmapped)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideIdentityKey)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideRemappedPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideRemappedRelease3Keys)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orvelle
