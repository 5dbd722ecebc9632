// The remap decision as transcripts: a profile and key events in, verdicts and queued events out.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <thread>

#include "engine/remap.h"

namespace orvelle {
namespace {

constexpr uint32_t kDown = 0x00, kUp = 0x80, kInjectedDown = 0x10, kInjectedUp = 0x90;

struct Event {
  int vk;
  uint32_t flags;
  int switchTo = 0;  // the active profile from this event on; 0 keeps it
};

struct Profiles {
  std::array<KeyMap, 3> maps{IdentityKeyMap(), IdentityKeyMap(), IdentityKeyMap()};
  int active = 1;
  bool present = true;
  RemapInputs Inputs() const {
    return RemapInputs{present, active, {&maps[0], &maps[1], &maps[2]}};
  }
};

// The queue emptied and described as "code↓" / "code↑".
std::string Drain(OutputQueue& queue) {
  std::ostringstream out;
  while (queue.size() > 0) {
    const OutputEvent v = queue.PopOutputEvent();
    if (out.tellp() > 0) out << ' ';
    out << (v & kKeyCodeMask) << ((v & kReleaseBit) ? "↑" : "↓");
  }
  return out.str();
}

struct Transcript {
  std::string verdicts;  // one per event; "dropped" for an append the queue had no room for
  std::string queued;
};

// Runs events through the hook's core, one tracker for the whole run, NumLock seeded as the
// hook's installation does.
Transcript RunEvents(Profiles profiles, std::initializer_list<Event> events, int16_t numLock = 1,
                     size_t capacity = 64) {
  OutputQueue queue(capacity);
  KeyTracker keys;
  keys.Reset(numLock);
  Transcript t;
  for (const Event& e : events) {
    if (e.switchTo != 0) profiles.active = e.switchTo;
    const KeyDecision d = HandleKeyEvent(e.vk, e.flags, profiles.Inputs(), keys, queue);
    static const char* kNames[] = {"pass", "unhook", "swallow", "append"};
    if (!t.verdicts.empty()) t.verdicts += ' ';
    t.verdicts += d.outputDropped ? "dropped" : kNames[static_cast<int>(d.verdict)];
  }
  t.queued = Drain(queue);
  return t;
}

struct Case {
  const char* what;
  std::initializer_list<Event> events;
  std::string verdicts;
  std::string queued;
};

void ExpectTranscripts(const Profiles& profiles, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const Transcript t = RunEvents(profiles, c.events);
    EXPECT_EQ(t.verdicts, c.verdicts) << c.what;
    EXPECT_EQ(t.queued, c.queued) << c.what;
  }
}

TEST(RemapDecision, IdentityProfilesPassEverything) {
  Profiles p;
  KeyTracker keys;
  for (int vk = 0; vk <= 255; ++vk) {
    for (uint32_t flags : {0x00u, 0x80u, 0x01u, 0x81u}) {
      EXPECT_EQ(DecideKeyEvent(vk, flags, p.Inputs(), keys).verdict, Verdict::Pass) << vk;
    }
  }
}

TEST(RemapDecision, RemappedKeysPlayOnRelease) {
  Profiles p;
  p.maps[0][112] = {65};
  p.maps[0][113] = {17, 67};
  p.maps[0][114] = {};
  p.maps[0][115] = {0, 255, -3};
  p.maps[0][116] = {0, 65, 300};
  p.maps[0][300] = {65};
  ExpectTranscripts(
      p, {
             {"held with auto-repeat gives one output", {{112, kDown}, {112, kDown}, {112, kDown}, {112, kUp}},
              "swallow swallow swallow append", "65↓ 65↑"},
             {"presses then releases in sequence order", {{113, kDown}, {113, kUp}}, "swallow append",
              "17↓ 67↓ 17↑ 67↑"},
             {"two releases queue whole blocks", {{112, kDown}, {113, kDown}, {112, kUp}, {113, kUp}},
              "swallow swallow append append", "65↓ 65↑ 17↓ 67↓ 17↑ 67↑"},
             {"an empty sequence leaves the key to send itself", {{114, kDown}, {114, kUp}}, "pass pass", ""},
             {"so does one without a code that can be sent", {{115, kDown}, {115, kUp}}, "pass pass", ""},
             {"codes that cannot be sent are skipped", {{116, kDown}, {116, kUp}}, "swallow append", "65↓ 65↑"},
             {"injected events pass even when remapped", {{112, kInjectedDown}, {112, kInjectedUp}}, "pass pass", ""},
             {"codes the hook cannot track pass even when remapped", {{300, kDown}, {300, kUp}, {-1, kDown}, {-1, kUp}},
              "pass pass pass pass", ""},
         });
}

TEST(RemapDecision, ReleasesFollowTheirPresses) {
  Profiles p;
  p.maps[0][112] = {65};
  p.maps[1][112] = {66};
  p.maps[1][113] = {67};
  p.maps[0][13] = {68};
  ExpectTranscripts(
      p, {
             {"a release whose press the hook never saw passes", {{112, kUp}}, "pass", ""},
             {"a key remapped while held passes its repeats and release",
              {{113, kDown}, {113, kDown, 2}, {113, kUp}}, "pass pass pass", ""},
             {"a key unmapped while held stays swallowed and its release passes alone",
              {{113, kDown, 2}, {113, kDown, 1}, {113, kUp}}, "swallow swallow pass", ""},
             {"the profile active at the release decides what plays", {{112, kDown}, {112, kUp, 2}}, "swallow append",
              "66↓ 66↑"},
             {"injected events neither press nor release a tracked key",
              {{112, kDown}, {112, kInjectedUp}, {112, kUp}, {112, kInjectedDown}, {112, kUp}},
              "swallow pass append pass pass", "65↓ 65↑"},
             // Main Enter (13) is remapped, keypad Enter (108) is not: keypad Enter released with
             // Alt held reads as 13 and must not take main Enter's swallowed press for its own.
             {"keypad Enter released with Alt held is still the key that was pressed",
              {{13, kDown}, {13, 0x01}, {13, 0xA1}, {13, kUp}}, "swallow pass pass append", "68↓ 68↑"},
         });

  // The hook just installed saw no key go down.
  OutputQueue queue;
  KeyTracker keys;
  keys.Reset(1);
  EXPECT_EQ(HandleKeyEvent(112, kDown, p.Inputs(), keys, queue).verdict, Verdict::Swallow);
  keys.Reset(1);
  EXPECT_EQ(HandleKeyEvent(112, kUp, p.Inputs(), keys, queue).verdict, Verdict::Pass);
  EXPECT_EQ(queue.size(), 0u);
}

TEST(RemapDecision, AHookInstalledAgainKnowsTheKeysHeldDown) {
  // 112 is remapped in profile 1 only, 113 in profile 2 only; both are held down across a new
  // install of the hook, then auto-repeat and are let go.
  Profiles p;
  p.maps[0][112] = {65};
  p.maps[1][113] = {66};
  OutputQueue queue;
  std::bitset<256> systemDown;
  auto run = [&](KeyTracker& keys, std::initializer_list<Event> events) {
    std::string verdicts;
    for (const Event& e : events) {
      if (e.switchTo != 0) p.active = e.switchTo;
      static const char* kNames[] = {"pass", "unhook", "swallow", "append"};
      verdicts += std::string(verdicts.empty() ? "" : " ") +
                  kNames[static_cast<int>(HandleKeyEvent(e.vk, e.flags, p.Inputs(), keys, queue).verdict)];
    }
    return verdicts;
  };

  // 113 went through while profile 1 was active, so the system holds it down; 112 was swallowed,
  // so the system never saw it go down.
  KeyTracker keys;
  keys.Reset(1);
  EXPECT_EQ(run(keys, {{112, kDown}, {113, kDown}}), "swallow pass");
  systemDown.set(113);

  KeyTracker installed = keys;  // the keyboard arrived, or the hook came back after a removal
  installed.Reset(1, systemDown);
  EXPECT_EQ(run(installed, {{113, kDown, 2}, {113, kUp}}), "pass pass")
      << "repeats and release of a key that went through pass, though profile 2 remaps it";
  EXPECT_EQ(Drain(queue), "");

  KeyTracker again = keys;  // the same hook out and in again
  p.active = 1;
  again.Resync(1, systemDown);
  EXPECT_EQ(run(again, {{112, kUp}, {113, kDown, 2}, {113, kUp}}), "append pass pass")
      << "a swallowed press still plays at its release; the key that went through still passes";
  EXPECT_EQ(Drain(queue), "65↓ 65↑");

  // The system holds "Enter" down, which may be the keypad's (known here as 108, and remapped).
  p.maps[0][108] = {67};
  KeyTracker enter;
  std::bitset<256> enterDown;
  enterDown.set(13);
  enter.Reset(1, enterDown);
  EXPECT_EQ(run(enter, {{13, 0x01}, {13, 0x81}}), "pass pass") << "the repeat and release of a keypad Enter held";
}

TEST(RemapDecision, KeypadEnterIsKnownAs108) {
  Profiles p;
  p.maps[0][108] = {66};
  struct Case {
    uint32_t flags;
    int lookedUpAs;
    const char* verdicts;  // the press, then its release
  } cases[] = {
      {0x01, 108, "swallow append"},  // keypad Enter
      {0x00, 13, "pass pass"},        // main Enter
      {0x21, 13, "pass pass"},        // keypad Enter with Alt held
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideKeyEvent(13, c.flags, p.Inputs(), KeyTracker{}).vkCode, c.lookedUpAs) << c.flags;
    EXPECT_EQ(RunEvents(p, {{13, c.flags}, {13, c.flags | kUp}}).verdicts, c.verdicts) << c.flags;
  }
  EXPECT_EQ(RunEvents(p, {{13, 0x01}, {13, 0x81}}).queued, "66↓ 66↑");
  p.maps[0].erase(108);
  EXPECT_EQ(DecideKeyEvent(13, 0x01, p.Inputs(), KeyTracker{}).vkCode, 108)
      << "the rewrite stands when the event passes";
}

TEST(RemapDecision, KeypadCodesFollowNumLock) {
  Profiles p;
  p.maps[0][65] = {96, 101, 110};
  const char* kOff = "45↓ 101↓ 46↓ 45↑ 101↑ 46↑";
  const char* kOn = "96↓ 101↓ 110↓ 96↑ 101↑ 110↑";
  struct Seed {
    int16_t state;
    const char* queued;
  } seeds[] = {
      {0, kOff},
      {1, kOn},
      {static_cast<int16_t>(0x8001), kOff},  // on, but the key is held
      {static_cast<int16_t>(0xFF80), kOff},  // held, not toggled
  };
  for (const Seed& s : seeds) EXPECT_EQ(RunEvents(p, {{65, kDown}, {65, kUp}}, s.state).queued, s.queued) << s.state;

  // Then the hook follows the NumLock key itself.
  p.maps[0][65] = {96};
  p.maps[1][144] = {66};
  struct Case {
    const char* what;
    int16_t seed;
    std::initializer_list<Event> events;
    std::string queued;
  } cases[] = {
      {"a tap turns it off", 1, {{144, kDown}, {144, kUp}, {65, kDown}, {65, kUp}}, "45↓ 45↑"},
      {"a tap turns it on", 0, {{144, kDown}, {144, kUp}, {65, kDown}, {65, kUp}}, "96↓ 96↑"},
      {"held, it counts as off; its repeats do not toggle it again",
       0,
       {{144, kDown}, {144, kDown}, {65, kDown}, {65, kUp}, {144, kUp}, {65, kDown}, {65, kUp}},
       "45↓ 45↑ 96↓ 96↑"},
      {"injected taps count", 1, {{144, kInjectedDown}, {144, kInjectedUp}, {65, kDown}, {65, kUp}}, "45↓ 45↑"},
      {"a swallowed NumLock does not",
       1,
       {{144, kDown, 2}, {144, kUp}, {65, kDown, 1}, {65, kUp}},
       "66↓ 66↑ 96↓ 96↑"},
  };
  for (const Case& c : cases) EXPECT_EQ(RunEvents(p, c.events, c.seed).queued, c.queued) << c.what;

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

  for (int bad : {0, 4, -1}) {
    p.active = bad;
    EXPECT_EQ(RunEvents(p, {{112, kDown}, {112, kUp}}).verdicts, "pass pass") << bad;
  }
  p.active = 2;
  p.present = false;
  EXPECT_EQ(RunEvents(p, {{112, kDown}, {112, kUp}, {112, kInjectedDown}}).verdicts, "unhook unhook unhook");
}

TEST(OutputQueueTest, TakesWholeSequencesOrNothing) {
  OutputQueue queue(5);
  const OutputEvent three[] = {1, 2, 3};
  const OutputEvent two[] = {4, 5};
  EXPECT_TRUE(queue.AppendSequence(three));
  EXPECT_FALSE(queue.AppendSequence(three));
  EXPECT_TRUE(queue.AppendSequence(two));
  EXPECT_FALSE(queue.AppendSequence(two));
  for (OutputEvent v : {1, 2, 3}) EXPECT_EQ(queue.PopOutputEvent(), v);
  EXPECT_TRUE(queue.AppendSequence(three));  // across the end of the ring
  EXPECT_EQ(Drain(queue), "4↓ 5↓ 1↓ 2↓ 3↓");
  EXPECT_EQ(queue.PopOutputEvent(), 0);
  EXPECT_TRUE(queue.AppendSequence(two));
  EXPECT_EQ(queue.Clear(), 2u);
  EXPECT_EQ(queue.PopOutputEvent(), 0);

  // The hook's append: a release that does not fit is swallowed with nothing queued, and says so.
  Profiles p;
  p.maps[0][113] = {17, 67};
  const Transcript t = RunEvents(p, {{113, kDown}, {113, kUp}, {113, kDown}, {113, kUp}}, 1, 5);
  EXPECT_EQ(t.verdicts, "swallow append swallow dropped");
  EXPECT_EQ(t.queued, "17↓ 67↓ 17↑ 67↑");
}

TEST(OutputQueueTest, BlocksNeverInterleaveAcrossThreads) {
  // One producer appending blocks of three into a queue it keeps filling, one consumer.
  OutputQueue queue(16);
  constexpr int kBlocks = 20000;
  std::thread producer([&] {
    for (int b = 0; b < kBlocks; ++b) {
      const OutputEvent three[] = {b * 3 % 30000 + 1, b * 3 % 30000 + 2, b * 3 % 30000 + 3};
      while (!queue.AppendSequence(three)) std::this_thread::yield();
    }
  });
  int received = 0;
  int outOfOrder = 0;
  OutputEvent expected = 1;
  while (received < kBlocks * 3) {
    const OutputEvent v = queue.PopOutputEvent();
    if (v == 0) continue;
    outOfOrder += v != expected ? 1 : 0;
    ++received;
    expected = received % 3 == 0 ? (received / 3) * 3 % 30000 + 1 : v + 1;
  }
  producer.join();
  EXPECT_EQ(outOfOrder, 0);
}

}  // namespace
}  // namespace orvelle

#include "engine/injection.h"

namespace orvelle {
namespace {

TEST(InjectedKey, CarriesTheExtendedFlagOfTheRealKey) {
  EXPECT_EQ(InjectedKeyFor(108), (InjectedKey{13, true})) << "keypad Enter";
  EXPECT_EQ(InjectedKeyFor(13), (InjectedKey{13, false})) << "main Enter";
  // Each extended key beside its neighbours or its twin that is not.
  const int extended[] = {3, 33, 36, 37, 40, 44, 45, 46, 91, 92, 93, 111, 144, 163, 165, 166, 175, 183};
  const int plain[] = {12, 19, 32, 41, 47, 90, 96, 104, 105, 106, 110, 145, 162, 164, 184, 65, 160, 161};
  for (int code : extended) EXPECT_EQ(InjectedKeyFor(code), (InjectedKey{code, true})) << code;
  for (int code : plain) EXPECT_EQ(InjectedKeyFor(code), (InjectedKey{code, false})) << code;
}

// The worker's loop on a fake clock that only its pause moves: every injection is logged with
// the time it left, the request changes at scripted times, and a flush is acknowledged as the
// Win32 side does it (back to Run).
struct FakeWorker {
  OutputQueue queue{256};
  int64_t clock = 0;
  InjectionRequest request = InjectionRequest::Run;
  std::map<int64_t, InjectionRequest> requestAt;
  std::vector<OutputEvent> appendOnFlush;  // what the hook queues once it is back
  std::vector<std::string> log;

  void Run() {
    RunInjectionLoop(
        queue,
        [&] {
          if (const auto change = requestAt.find(clock); change != requestAt.end()) request = change->second;
          return clock > 10000 ? InjectionRequest::Stop : request;
        },
        [&](const KeyInjection& key) {
          log.push_back(std::to_string(key.keyCode) + (key.release ? "↑@" : "↓@") + std::to_string(clock));
        },
        [&] { ++clock; }, [&] { return clock; },
        [&] {
          log.push_back("flushed@" + std::to_string(clock));
          request = InjectionRequest::Run;
          queue.AppendSequence(appendOnFlush);
        });
  }
  std::string Log() const {
    std::string all;
    for (const std::string& entry : log) all += (all.empty() ? "" : " ") + entry;
    return all;
  }
  // Every press injected has been given its release.
  bool Balanced() const {
    std::map<int, int> down;
    for (const std::string& entry : log) {
      if (entry.starts_with("flushed")) continue;
      down[std::stoi(entry)] += entry.find("↓") != std::string::npos ? 1 : -1;
    }
    for (auto [code, count] : down) {
      if (count != 0) return false;
    }
    return true;
  }
};

TEST(InjectionLoop, OneEventPerCycleInQueueOrder) {
  FakeWorker w;
  const OutputEvent events[] = {17, 67, 17 | kReleaseBit, 67 | kReleaseBit};
  w.queue.AppendSequence(events);
  w.requestAt[6] = InjectionRequest::Stop;
  w.Run();
  EXPECT_EQ(w.Log(), "17↓@0 67↓@1 17↑@2 67↑@3");
  EXPECT_EQ(w.clock, 6) << "an empty queue still paused each cycle";
  EXPECT_EQ(DecodeOutputEvent(0), std::nullopt);
}

TEST(InjectionLoop, StopPlaysAShortQueueThenReleasesWhatIsHeld) {
  FakeWorker w;
  const OutputEvent events[] = {65, 66, 65 | kReleaseBit};
  w.queue.AppendSequence(events);
  w.requestAt[0] = InjectionRequest::Stop;
  w.Run();
  EXPECT_EQ(w.Log(), "65↓@0 66↓@1 65↑@2 66↑@3");
}

TEST(InjectionLoop, DrainPastTheDeadlineDropsTheRestAndReleasesWhatIsHeld) {
  // 120 presses then 120 releases: at the deadline 80 keys have been released and 40 are held.
  std::vector<int> codes(120);
  for (int i = 0; i < 120; ++i) codes[static_cast<size_t>(i)] = i + 1;
  for (InjectionRequest request : {InjectionRequest::Flush, InjectionRequest::Stop}) {
    FakeWorker w;
    ASSERT_TRUE(w.queue.AppendPressesThenReleases(codes, [](int code) { return code; }));
    w.requestAt[0] = request;
    w.requestAt[241] = InjectionRequest::Stop;
    w.Run();
    ASSERT_EQ(w.log.size(), request == InjectionRequest::Flush ? 241u : 240u);
    EXPECT_EQ(w.log[199], "80↑@199");
    EXPECT_EQ(w.log[200], "81↑@200") << "held keys released in ascending order";
    EXPECT_EQ(w.log[239], "120↑@239");
    if (request == InjectionRequest::Flush) {
      EXPECT_EQ(w.log[240], "flushed@240");
    }
    EXPECT_TRUE(w.Balanced());
    EXPECT_EQ(w.queue.size(), 0u);
  }
}

TEST(InjectionLoop, FlushMidMacroThenRunsOn) {
  FakeWorker w;
  const OutputEvent macro[] = {17, 67, 17 | kReleaseBit, 67 | kReleaseBit};
  w.queue.AppendSequence(macro);
  w.appendOnFlush = {65, 65 | kReleaseBit};
  w.requestAt[1] = InjectionRequest::Flush;
  w.requestAt[20] = InjectionRequest::Stop;
  w.Run();
  EXPECT_EQ(w.Log(), "17↓@0 67↓@1 17↑@2 67↑@3 flushed@4 65↓@4 65↑@5");
}

}  // namespace
}  // namespace orvelle
