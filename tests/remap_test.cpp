// The remap decision as transcripts: a profile and key events in, verdicts and queued events out.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "engine/remap.h"

namespace orvelle {
namespace {

struct Event {
  int vk;
  uint32_t flags;
};
constexpr uint32_t kDown = 0x00, kUp = 0x80;

struct Profiles {
  std::array<KeyMap, 3> maps{IdentityKeyMap(), IdentityKeyMap(), IdentityKeyMap()};
  int active = 1;
  bool present = true;
  RemapInputs Inputs() const {
    return RemapInputs{present, active, {&maps[0], &maps[1], &maps[2]}};
  }
};

// Runs events through the hook's core and describes what happened: one verdict per event, then
// the queue as "code↓" / "code↑".
struct Transcript {
  std::string verdicts;
  std::string queued;
  int numLockReads = 0;
};

Transcript RunEvents(const Profiles& profiles, std::initializer_list<Event> events, int16_t numLock = 1) {
  OutputQueue queue(4);
  Transcript t;
  for (const Event& e : events) {
    const KeyDecision d = HandleKeyEvent(e.vk, e.flags, profiles.Inputs(), queue, [&] {
      ++t.numLockReads;
      return numLock;
    });
    static const char* kNames[] = {"pass", "unhook", "swallow", "append"};
    if (!t.verdicts.empty()) t.verdicts += ' ';
    t.verdicts += kNames[static_cast<int>(d.verdict)];
  }
  std::ostringstream out;
  for (OutputEvent v = queue.PopOutputEvent(), n = 0; v != 0 || queue.size() > 0; v = queue.PopOutputEvent(), ++n) {
    if (n > 0) out << ' ';
    out << (v & kKeyCodeMask) << ((v & kReleaseBit) ? "↑" : "↓");
  }
  t.queued = out.str();
  return t;
}

TEST(RemapDecision, IdentityProfilesPassEverything) {
  Profiles p;
  OutputQueue queue;
  for (int vk = 0; vk <= 255; ++vk) {
    for (uint32_t flags : {0x00u, 0x80u, 0x01u, 0x81u}) {
      EXPECT_EQ(DecideKeyEvent(vk, flags, p.Inputs()).verdict, Verdict::Pass) << vk;
    }
  }
}

TEST(RemapDecision, RemappedKeysPlayOnRelease) {
  Profiles p;
  p.maps[0][112] = {65};
  p.maps[0][113] = {17, 67};
  p.maps[0][114] = {};
  p.maps[0][115] = {0};

  struct Case {
    const char* what;
    std::initializer_list<Event> events;
    std::string verdicts;
    std::string queued;
  } cases[] = {
      {"held with auto-repeat gives one output", {{112, kDown}, {112, kDown}, {112, kDown}, {112, kUp}},
       "swallow swallow swallow append", "65↓ 65↑"},
      {"presses then releases in sequence order", {{113, kDown}, {113, kUp}}, "swallow append", "17↓ 67↓ 17↑ 67↑"},
      {"two releases queue whole blocks", {{112, kDown}, {113, kDown}, {112, kUp}, {113, kUp}},
       "swallow swallow append append", "65↓ 65↑ 17↓ 67↓ 17↑ 67↑"},
      {"an empty sequence disables the key", {{114, kDown}, {114, kUp}}, "swallow append", ""},
      {"injected events pass even when remapped", {{112, 0x10}, {112, 0x90}}, "pass pass", ""},
      {"unmapped codes pass", {{300, kDown}, {300, kUp}}, "pass pass", ""},
  };
  for (const Case& c : cases) {
    const Transcript t = RunEvents(p, c.events);
    EXPECT_EQ(t.verdicts, c.verdicts) << c.what;
    EXPECT_EQ(t.queued, c.queued) << c.what;
  }

  // [0] swallows the key and its release queues 0 and a release of code 0.
  OutputQueue queue;
  HandleKeyEvent(115, kUp, p.Inputs(), queue, [] { return int16_t{1}; });
  EXPECT_EQ(queue.PopOutputEvent(), 0);
  EXPECT_EQ(queue.PopOutputEvent(), 0x8000);
}

TEST(RemapDecision, KeypadEnterIsKnownAs108) {
  Profiles p;
  p.maps[0][108] = {66};
  struct Case {
    uint32_t flags;
    int lookedUpAs;
    const char* verdict;
  } cases[] = {
      {0x01, 108, "swallow"}, {0x81, 108, "append"},  // keypad Enter
      {0x00, 13, "pass"},     {0x80, 13, "pass"},     // main Enter
      {0x21, 13, "pass"},     {0xA1, 13, "pass"},     // keypad Enter with Alt held
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideKeyEvent(13, c.flags, p.Inputs()).vkCode, c.lookedUpAs) << c.flags;
    EXPECT_EQ(RunEvents(p, {{13, c.flags}}).verdicts, c.verdict) << c.flags;
  }
  EXPECT_EQ(RunEvents(p, {{13, 0x01}, {13, 0x81}}).queued, "66↓ 66↑");
  p.maps[0].erase(108);
  EXPECT_EQ(DecideKeyEvent(13, 0x01, p.Inputs()).vkCode, 108) << "the rewrite stands when the event passes";
}

TEST(RemapDecision, KeypadCodesFollowNumLock) {
  Profiles p;
  p.maps[0][65] = {96, 101, 110};
  struct Case {
    int16_t state;
    const char* queued;
  } cases[] = {
      {0, "45↓ 101↓ 46↓ 45↑ 101↑ 46↑"},                         // off
      {1, "96↓ 101↓ 110↓ 96↑ 101↑ 110↑"},                       // on
      {static_cast<int16_t>(0x8001), "45↓ 101↓ 46↓ 45↑ 101↑ 46↑"},  // on, but the key is held
      {static_cast<int16_t>(0xFF80), "45↓ 101↓ 46↓ 45↑ 101↑ 46↑"},  // held, not toggled
  };
  for (const Case& c : cases) {
    const Transcript t = RunEvents(p, {{65, kDown}, {65, kUp}}, c.state);
    EXPECT_EQ(t.queued, c.queued) << c.state;
    EXPECT_EQ(t.numLockReads, 1) << "NumLock is read once, for the release only";
  }
  const std::pair<int, int> table[] = {{96, 45}, {97, 35},  {98, 40},  {99, 34},  {100, 37}, {101, 101},
                                       {102, 39}, {103, 36}, {104, 38}, {105, 33}, {110, 46}, {106, 106}};
  for (auto [code, off] : table) {
    EXPECT_EQ(TranslateNumpadCode(code, false), off);
    EXPECT_EQ(TranslateNumpadCode(code, true), code);
  }
}

TEST(RemapDecision, ProfilesAndPresenceAreReadAtEachEvent) {
  Profiles p;
  p.maps[1][112] = {65};
  EXPECT_EQ(RunEvents(p, {{112, kDown}, {112, kUp}}).verdicts, "pass pass") << "only profile 2 maps the key";
  p.active = 2;
  EXPECT_EQ(RunEvents(p, {{112, kDown}, {112, kUp}}).queued, "65↓ 65↑");

  // Pressed under profile 2, released after a switch to profile 1: the release passes alone.
  OutputQueue queue;
  EXPECT_EQ(DecideKeyEvent(112, kDown, p.Inputs()).verdict, Verdict::Swallow);
  p.active = 1;
  EXPECT_EQ(DecideKeyEvent(112, kUp, p.Inputs()).verdict, Verdict::Pass);

  for (int bad : {0, 4, -1}) {
    p.active = bad;
    EXPECT_EQ(DecideKeyEvent(112, kUp, p.Inputs()).verdict, Verdict::Pass) << bad;
  }
  p.active = 2;
  p.present = false;
  const Transcript absent = RunEvents(p, {{112, kDown}, {112, kUp}, {112, 0x10}});
  EXPECT_EQ(absent.verdicts, "unhook unhook unhook");
  EXPECT_EQ(absent.numLockReads, 0);
}

TEST(OutputQueueTest, KeepsOrderWhileGrowingAndAcrossThreads) {
  OutputQueue queue(2);
  std::vector<OutputEvent> block(100);
  for (int i = 0; i < 100; ++i) block[static_cast<size_t>(i)] = i + 1;
  queue.AppendSequence(block);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(queue.PopOutputEvent(), i + 1);
  queue.AppendSequence(block);  // wraps around and grows again
  for (int i = 50; i < 100; ++i) EXPECT_EQ(queue.PopOutputEvent(), i + 1);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(queue.PopOutputEvent(), i + 1);
  EXPECT_EQ(queue.PopOutputEvent(), 0);

  // One producer appending blocks of three, one consumer: blocks never interleave.
  constexpr int kBlocks = 20000;
  std::thread producer([&] {
    for (int b = 0; b < kBlocks; ++b) {
      const OutputEvent three[] = {b * 3 % 30000 + 1, b * 3 % 30000 + 2, b * 3 % 30000 + 3};
      queue.AppendSequence(three);
    }
  });
  int received = 0;
  OutputEvent expected = 1;
  while (received < kBlocks * 3) {
    const OutputEvent v = queue.PopOutputEvent();
    if (v == 0) continue;
    ASSERT_EQ(v, expected);
    ++received;
    expected = received % 3 == 0 ? (received / 3) * 3 % 30000 + 1 : v + 1;
  }
  producer.join();
}

}  // namespace
}  // namespace orvelle

#include "engine/injection.h"

namespace orvelle {
namespace {

// The worker's loop with recorded injections: a cycle per event, the pause after every cycle.
TEST(InjectionLoop, OneEventPerCycleInQueueOrder) {
  OutputQueue queue;
  const OutputEvent events[] = {17, 67, 17 | kReleaseBit, 67 | kReleaseBit, 0x8000};
  queue.AppendSequence(events);
  std::vector<std::string> log;
  int cycles = 0;
  RunInjectionLoop(
      queue, [&] { return cycles < 7; },
      [&](const KeyInjection& key) { log.push_back(std::to_string(key.keyCode) + (key.release ? "↑" : "↓")); },
      [&] {
        log.push_back("pause");
        ++cycles;
      });
  EXPECT_EQ(log, (std::vector<std::string>{"17↓", "pause", "67↓", "pause", "17↑", "pause", "67↑", "pause", "0↑",
                                           "pause", "pause", "pause"}));
  EXPECT_EQ(DecodeOutputEvent(0), std::nullopt);
}

TEST(InjectionLoop, StopsWithinOneCycleLeavingTheRestQueued) {
  OutputQueue queue;
  const OutputEvent events[] = {65, 65 | kReleaseBit, 66, 66 | kReleaseBit};
  queue.AppendSequence(events);
  bool running = true;
  int injected = 0;
  RunInjectionLoop(
      queue, [&] { return running; }, [&](const KeyInjection&) { ++injected; }, [&] { running = false; });
  EXPECT_EQ(injected, 1);
  EXPECT_EQ(queue.size(), 3u);
}

}  // namespace
}  // namespace orvelle
