// The remap hook's work, per key event of the whole desktop.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "engine/hook_watch.h"
#include "engine/remap.h"

namespace orvelle {
namespace {

struct Fixture {
  std::array<KeyActions, 3> actions;
  OutputQueue queue;
  KeyTracker keys;
  Fixture() {
    actions[0][112] = KeyAction{ActionKind::Tap, TapProgram({17, 16, 67}, 0)};
    actions[0][113] = KeyAction{ActionKind::Hold, HoldProgram({38})};
    actions[0][114] = KeyAction{ActionKind::Text, TextProgram(L"Привет, world!\n")};
    actions[0][115] = KeyAction{ActionKind::Launch, nullptr};
    actions[0][116] = KeyAction{ActionKind::Profile, nullptr, ProfileTarget::Next};
    actions[0][117] = KeyAction{ActionKind::Hold, MouseProgram(MouseAction::Left)};
    actions[0][118] = KeyAction{ActionKind::Hold, MouseProgram(MouseAction::WheelUp)};
    actions[0][119] = KeyAction{ActionKind::Turbo, TurboProgram({65}, 50)};
    keys.Reset(1);
  }
  RemapInputs Inputs() const { return RemapInputs{true, 1, {&actions[0], &actions[1], &actions[2]}}; }
};

// Every event meets the same state: with `held`, the key is down and its press was swallowed
// (a press is then an auto-repeat and a release plays the sequence or lets a held key go);
// without, the key is up.
void Run(benchmark::State& state, int vk, uint32_t flags, bool held) {
  Fixture f;
  const RemapInputs inputs = f.Inputs();
  const auto slot = static_cast<size_t>(vk & 0xFF);
  uint64_t queued = 0;
  const uint64_t before = bench::g_allocations.load();
  for (auto _ : state) {
    f.keys.down.set(slot, held);
    f.keys.swallowed.set(slot, held);
    f.keys.held.set(slot, held && (vk == 113 || vk == 117 || vk == 118 || vk == 119));
    f.keys.repeats.set(slot, held && (vk == 113 || vk == 118));
    f.keys.acted.set(slot, held && vk == 116);
    const KeyDecision d = HandleKeyEvent(vk, flags, 0, inputs, f.keys, f.queue);
    benchmark::DoNotOptimize(d);
    // Emptied now and then, outside the timing, so that no append is dropped.
    if (d.command && ++queued % 256 == 0) {
      state.PauseTiming();
      f.queue.Clear();
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
void BM_DecideRemappedRepeat(benchmark::State& s) { Run(s, 112, 0x00, true); }
void BM_DecideRemappedRelease3Keys(benchmark::State& s) { Run(s, 112, 0x80, true); }
void BM_DecideHeldKeyPress(benchmark::State& s) { Run(s, 113, 0x00, false); }
void BM_DecideHeldKeyRepeat(benchmark::State& s) { Run(s, 113, 0x00, true); }

void BM_DecideTextKeyRelease(benchmark::State& s) { Run(s, 114, 0x80, true); }
void BM_DecideProgramKeyRelease(benchmark::State& s) { Run(s, 115, 0x80, true); }

BENCHMARK(BM_DecidePassThroughInjected)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecidePassThroughUnmapped)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideIdentityKey)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideRemappedPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideRemappedRepeat)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideRemappedRelease3Keys)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideHeldKeyPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideHeldKeyRepeat)->Repetitions(5)->ReportAggregatesOnly(true);
void BM_DecideProfileKeyPress(benchmark::State& s) { Run(s, 116, 0x00, false); }
void BM_DecideProfileKeyRelease(benchmark::State& s) { Run(s, 116, 0x80, true); }
void BM_DecideMouseButtonPress(benchmark::State& s) { Run(s, 117, 0x00, false); }
void BM_DecideMouseWheelRepeat(benchmark::State& s) { Run(s, 118, 0x00, true); }
void BM_DecideTurboPress(benchmark::State& s) { Run(s, 119, 0x00, false); }
void BM_DecideTurboRelease(benchmark::State& s) { Run(s, 119, 0x80, true); }

BENCHMARK(BM_DecideProfileKeyPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideProfileKeyRelease)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideMouseButtonPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideMouseWheelRepeat)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideTurboPress)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideTurboRelease)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideTextKeyRelease)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecideProgramKeyRelease)->Repetitions(5)->ReportAggregatesOnly(true);

// The hook watch's note of every event the hook sees, beside the decision.
void BM_HookWatchOnHookEvent(benchmark::State& state) {
  HookWatch watch;
  uint32_t time = 0;
  const uint64_t before = bench::g_allocations.load();
  for (auto _ : state) {
    watch.OnHookEvent(0x1E, (time & 1) != 0, time);
    ++time;
    benchmark::ClobberMemory();
  }
  state.counters["allocs/event"] = benchmark::Counter(
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_HookWatchOnHookEvent)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orvelle
