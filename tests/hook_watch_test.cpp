// The hook watch as transcripts: what the hook saw and what raw input reported, in the order the
// hook's thread handles them, and at checkpoints whether the hook still counts as there.
#include <gtest/gtest.h>

#include "engine/hook_watch.h"

namespace orvelle {
namespace {

constexpr uint32_t kA = 0x1E, kB = 0x30;
constexpr bool kPress = false, kRelease = true;

struct Step {
  // 'h' the hook saw an event, 'r' raw input reported one (handled at its own time), 'x' the
  // hook was installed again, 'c' a check at `time`
  char source;
  uint32_t scanCode = 0;
  bool release = false;
  uint32_t time = 0;
};

// "alive", "waiting" or "lost" at every check.
std::string Watch(std::initializer_list<Step> steps) {
  HookWatch watch;
  std::string verdicts;
  for (const Step& s : steps) {
    switch (s.source) {
      case 'h':
        watch.OnHookEvent(s.scanCode, s.release, s.time);
        break;
      case 'r':
        watch.OnRawEvent(s.scanCode, s.release, s.time, s.time);
        break;
      case 'x':
        watch.Reset();
        break;
      default:
        if (!verdicts.empty()) verdicts += ' ';
        verdicts += watch.Lost(s.time) ? "lost" : watch.waiting() ? "waiting" : "alive";
    }
  }
  return verdicts;
}

TEST(HookWatch, NamesTheReleasesTheHookMissed) {
  HookWatch watch;
  watch.OnHookEvent(kA, kPress, 100);
  watch.OnRawEvent(kA, kPress, 100, 100);
  watch.OnHookEvent(kB, kPress, 110);
  watch.OnRawEvent(kB, kPress, 110, 110);
  // The hook is gone: raw input alone reports A let go of and B pressed again.
  watch.OnRawEvent(kA, kRelease, 200, 200);
  watch.OnRawEvent(kB, kPress, 230, 230);
  std::bitset<256> expected;
  expected.set(kA);
  EXPECT_EQ(watch.MissedReleases(), expected) << "only A's release; presses and events the hook saw are no news";
  watch.Reset();
  EXPECT_TRUE(watch.MissedReleases().none());
}

TEST(HookWatch, ARawEventTheHookNeverSeesMeansTheHookIsLost) {
  const uint32_t late = 100 + kHookGraceMs + 1;
  struct Case {
    const char* what;
    std::initializer_list<Step> steps;
    const char* verdicts;
  } cases[] = {
      {"alive: the hook first, then raw input",
       {{'h', kA, kPress, 100}, {'r', kA, kPress, 100}, {'h', kA, kRelease, 150}, {'r', kA, kRelease, 150},
        {'c', 0, false, 1000}},
       "alive"},
      {"alive: raw input first, as when another program's hook stands in front",
       {{'r', kA, kPress, 100}, {'c', 0, false, 101}, {'h', kA, kPress, 100}, {'c', 0, false, late}},
       "waiting alive"},
      {"alive: raw messages handled after a batch of hook events",
       {{'h', kA, kPress, 100}, {'h', kB, kPress, 105}, {'h', kA, kRelease, 180}, {'h', kB, kRelease, 190},
        {'r', kA, kPress, 100}, {'r', kB, kPress, 105}, {'r', kA, kRelease, 180}, {'r', kB, kRelease, 190},
        {'c', 0, false, 1000}},
       "alive"},
      {"dropped: the next raw event waits in vain",
       {{'h', kA, kPress, 100}, {'r', kA, kPress, 100}, {'r', kA, kRelease, 100}, {'c', 0, false, 100 + kHookGraceMs},
        {'c', 0, false, late}},
       "waiting lost"},
      {"one hook event answers one raw event",
       {{'h', kA, kPress, 100}, {'r', kA, kPress, 100}, {'r', kA, kPress, 100}, {'c', 0, false, late}},
       "lost"},
      {"the direction must agree", {{'h', kA, kPress, 100}, {'r', kA, kRelease, 100}, {'c', 0, false, late}}, "lost"},
      {"times more than 2 s apart are two events",
       {{'h', kA, kPress, 100}, {'r', kA, kPress, 100 + kHookWatchWindowMs + 1},
        {'c', 0, false, 100 + kHookWatchWindowMs + kHookGraceMs + 2}},
       "lost"},
      {"a reinstalled hook has seen nothing yet",
       {{'h', kA, kPress, 100}, {'x'}, {'r', kA, kPress, 100}, {'c', 0, false, late}},
       "lost"},
      // Swallowed events may never reach raw input; a later reported event shows they never will.
      {"a swallowed event without raw report, then the drop",
       {{'h', kA, kPress, 100}, {'h', kA, kRelease, 150}, {'h', kB, kPress, 200}, {'r', kB, kPress, 200},
        {'r', kA, kPress, 300}, {'c', 0, false, 300 + kHookGraceMs + 1}},
       "lost"},
      {"tick counts that wrap",
       {{'h', kA, kPress, 0xFFFFFFF0}, {'r', kB, kPress, 0x10}, {'h', kB, kPress, 0x10}, {'r', kA, kPress, 0xFFFFFFF0},
        {'c', 0, false, 0x10 + kHookGraceMs + 1}},
       "alive"},
  };
  for (const Case& c : cases) EXPECT_EQ(Watch(c.steps), c.verdicts) << c.what;
}

// A hook that counts as lost at every keystroke (installed, but not called while a program with
// more rights is in front) is put back at most three times in ten seconds, then not again until
// it matches an event.
TEST(HookWatch, PutsALostHookBackWithinABudget) {
  constexpr uint32_t kWindow = kReinstallWindowMs;
  struct Case {
    const char* what;
    // Each step: 'k' a keystroke the hook misses at `time` (asked about kHookGraceMs later), 'm' a
    // keystroke the hook matches.
    std::initializer_list<std::pair<char, uint32_t>> steps;
    const char* verdicts;  // per missed keystroke: R put back, w waits
  } cases[] = {
      {"three, then it waits", {{'k', 0}, {'k', 1000}, {'k', 2000}, {'k', 3000}, {'k', 9000}, {'k', 30000}},
       "R R R w w w"},
      {"a matched event fills the budget again",
       {{'k', 0}, {'k', 1000}, {'k', 2000}, {'k', 3000}, {'m', 4000}, {'k', 5000}, {'k', 6000}, {'k', 7000}, {'k', 8000}},
       "R R R w R R R w"},
      {"spread over more than ten seconds, never spent",
       {{'k', 0}, {'k', 6000}, {'k', kWindow + 1}, {'k', kWindow + 6001}, {'k', 2 * kWindow + 2}},
       "R R R R R"},
      {"tick counts that wrap", {{'k', 0xFFFFF000}, {'k', 0xFFFFFF00}, {'k', 0x100}, {'k', 0x800}}, "R R R w"},
  };
  for (const Case& c : cases) {
    HookWatch watch;
    std::string verdicts;
    for (const auto& [kind, time] : c.steps) {
      if (kind == 'm') {
        watch.OnHookEvent(kA, kPress, time);
        watch.OnRawEvent(kA, kPress, time, time);
        continue;
      }
      watch.OnRawEvent(kB, kPress, time, time);
      const uint32_t asked = time + kHookGraceMs + 1;
      ASSERT_TRUE(watch.Lost(asked)) << c.what;
      if (!verdicts.empty()) verdicts += ' ';
      if (watch.MayReinstall(asked)) {
        verdicts += 'R';
        watch.Reset();
      } else {
        verdicts += 'w';
        EXPECT_FALSE(watch.waiting()) << c.what << ": what it waited for is given up";
      }
    }
    EXPECT_EQ(verdicts, c.verdicts) << c.what;
  }
}

}  // namespace
}  // namespace orvelle
