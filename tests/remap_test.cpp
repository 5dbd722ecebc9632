// The remap engine as transcripts: profiles and key events in, what the hook does with each event
// and what the worker injects (with its time) out. The hook's core, the queue, the player and the
// worker's loop are the real ones; only the clock is a fake that the worker's waits move on.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "app/profile_keys.h"
#include "engine/injected_key.h"
#include "engine/injection.h"
#include "engine/remap.h"
#include "model/key_table.h"
#include "model/profile_data.h"

namespace orvelle {
namespace {

constexpr uint32_t kDown = 0x00, kUp = 0x80, kInjectedDown = 0x10, kInjectedUp = 0x90;

struct Profiles {
  std::array<KeyActions, 3> actions;
  int active = 1;
  bool present = true;
  bool ownWindow = false;
  bool paused = false;
  RemapInputs Inputs() const {
    return RemapInputs{present, active, {&actions[0], &actions[1], &actions[2]}, ownWindow, paused};
  }
  Profiles& Set(int profile, int key, ActionKind kind, SharedProgram program) {
    actions[static_cast<size_t>(profile - 1)][static_cast<size_t>(key)] = KeyAction{kind, std::move(program)};
    return *this;
  }
  Profiles& Tap(int profile, int key, std::vector<int> codes, uint32_t tapMs = 0) {
    return Set(profile, key, ActionKind::Tap, TapProgram(codes, tapMs));
  }
  Profiles& Hold(int profile, int key, std::vector<int> codes) {
    return Set(profile, key, ActionKind::Hold, HoldProgram(codes));
  }
  Profiles& Text(int profile, int key, std::wstring_view text) {
    return Set(profile, key, ActionKind::Text, TextProgram(text));
  }
  Profiles& ProfileKey(int profile, int key, ProfileTarget target) {
    actions[static_cast<size_t>(profile - 1)][static_cast<size_t>(key)] =
        KeyAction{ActionKind::Profile, nullptr, target};
    return *this;
  }
  Profiles& Turbo(int profile, int key, std::vector<int> codes, uint32_t periodMs) {
    return Set(profile, key, ActionKind::Turbo, TurboProgram(codes, periodMs));
  }
  Profiles& Mouse(int profile, int key, MouseAction action, uint32_t turboMs = 0) {
    return turboMs != 0 ? Set(profile, key, ActionKind::Turbo, MouseTurboProgram(action, turboMs))
                        : Set(profile, key, ActionKind::Hold, MouseProgram(action));
  }
};

// A recorded macro: (code, down, delay ms) steps.
SharedProgram Recorded(std::initializer_list<std::tuple<int, bool, int>> steps, int loops = 1) {
  Macro macro;
  macro.loops = loops;
  for (const auto& [code, down, delay] : steps) {
    macro.steps.push_back({0, code, down ? 1 : 0});
    macro.delays.push_back(delay);
  }
  return TimedProgram(macro);
}

// A typed UTF-16 code unit as the transcripts show it: "U+0416".
std::string Unit(int unit) {
  char text[8];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(unit));
  return text;
}

struct Event {
  int vk;
  uint32_t flags;
  int64_t atMs = 0;
  int switchTo = 0;  // the active profile from this event on; 0 keeps it
  // Comes the moment the worker has injected an event at or after atMs, before the worker goes
  // on: a person or a program answering the output.
  bool answersOutput = false;
};

// The hook's core and the worker's loop over one queue. Key events go to the hook at their time;
// the worker injects and waits, and its waits move the clock to the next thing that happens.
struct Rig {
  explicit Rig(Profiles p, int16_t numLock = 1, size_t capacity = 64) : profiles(std::move(p)), queue(capacity) {
    keys.Reset(numLock);
  }

  Profiles profiles;
  OutputQueue queue;
  KeyTracker keys;
  int64_t clock = 0;   // microseconds
  int64_t lateUs = 0;  // how late each timed wait of the worker comes back
  int64_t sendUs = 0;  // how long each injection takes to go out
  std::multimap<int64_t, Event> script;
  std::map<int64_t, WorkerRequest> requests;  // by ms
  // By ms: a flush of what was queued by then, as a profile switch or a reinstalled hook asks.
  std::set<int64_t> markedFlushes;
  // By ms: the worker is asked to try refused releases again (a foreground change).
  std::set<int64_t> retries;
  // By ms: the next n injections from then on are refused (a window in front with more rights).
  std::map<int64_t, int> refusals;
  int refuseNext = 0;
  WorkerRequest request = InjectionRequest::Run;
  std::string verdicts, output;

  Rig& At(std::initializer_list<Event> events) {
    for (const Event& e : events) script.emplace(e.atMs * 1000, e);
    return *this;
  }

  void Deliver(bool afterInjection = false) {
    for (auto it = script.begin(); it != script.end() && it->first <= clock;) {
      if (it->second.answersOutput && !afterInjection) {
        ++it;
        continue;
      }
      const Event e = it->second;
      it = script.erase(it);
      if (e.switchTo != 0) profiles.active = e.switchTo;
      const KeyDecision d =
          HandleKeyEvent(e.vk, e.flags, static_cast<uint32_t>(e.atMs), profiles.Inputs(), keys, queue);
      static const char* kNames[] = {"pass", "unhook", "swallow"};
      if (!verdicts.empty()) verdicts += ' ';
      verdicts += d.outputDropped ? "dropped" : kNames[int(d.verdict)];
      if (d.launchProfile != 0) verdicts += "+start" + std::to_string(d.launchProfile);
      if (d.profileKey != ProfileTarget::None) ProfileKeyPressed(d.profileKey);
    }
  }

  // What the hook and the main window make of a profile key's press: a pause turns over at once
  // and lets go of what the keys started (RemapHook::SetPaused); a switch makes the profile active
  // with the flush of a Profile button (RemapSession::SetActiveProfile).
  void ProfileKeyPressed(ProfileTarget target) {
    if (target == ProfileTarget::Pause) {
      profiles.paused = !profiles.paused;
      verdicts += profiles.paused ? "+paused" : "+remapping";
      if (profiles.paused) request = WorkerRequest(InjectionRequest::Flush, queue.Mark());
      return;
    }
    const int chosen = ProfileChosenByKey(target, profiles.active);
    verdicts += "+profile" + std::to_string(chosen);
    if (chosen == profiles.active || chosen == 0) return;
    profiles.active = chosen;
    request = WorkerRequest(InjectionRequest::Flush, queue.Mark());
  }

  // Runs until `endMs`, then stops the worker (which lets go of what it still holds).
  Rig& Run(int64_t endMs = 100'000) {
    const int64_t end = endMs * 1000;
    RunInjectionLoop(
        queue,
        [&] {
          Deliver();
          for (auto it = requests.begin(); it != requests.end() && it->first * 1000 <= clock;) {
            request = it->second;
            // The user left the desktop: the hook forgets as the worker drops (RemapHook::Forget).
            if (request.kind == InjectionRequest::Drop) keys.Forget(1, {});
            it = requests.erase(it);
          }
          for (auto it = markedFlushes.begin(); it != markedFlushes.end() && *it * 1000 <= clock;) {
            request = WorkerRequest(InjectionRequest::Flush, queue.Mark());
            it = markedFlushes.erase(it);
          }
          for (auto it = refusals.begin(); it != refusals.end() && it->first * 1000 <= clock;) {
            refuseNext = it->second;
            it = refusals.erase(it);
          }
          WorkerRequest now = clock >= end ? WorkerRequest(InjectionRequest::Stop) : request;
          for (auto it = retries.begin(); it != retries.end() && *it * 1000 <= clock;) {
            now.retryReleases = true;
            it = retries.erase(it);
          }
          return now;
        },
        [&](const InjectionBatch& batch) {
          // Events of one batch, sent in one call, show joined by '+'; a refused call's events
          // carry a cross.
          const bool refused = refuseNext > 0;
          refuseNext -= refused ? 1 : 0;
          for (const KeyInjection& key : batch) {
            if (!output.empty()) output += &key == batch.begin() ? " " : "+";
            if (key.mouse) output += 'm';
            output += key.unicode ? Unit(key.keyCode) : std::to_string(key.keyCode);
            output += key.release ? "↑" : "↓";
            output += refused ? "✗@" : "@";
            output += std::to_string(clock / 1000);
          }
          clock += sendUs;
          Deliver(true);
          return refused ? size_t{0} : batch.size;
        },
        [&](std::optional<int64_t> until) {
          int64_t next = end;
          for (const auto& [at, e] : script) {
            if (!e.answersOutput) {
              next = std::min(next, at);
              break;
            }
          }
          if (!requests.empty()) next = std::min(next, requests.begin()->first * 1000);
          if (!markedFlushes.empty()) next = std::min(next, *markedFlushes.begin() * 1000);
          if (!retries.empty()) next = std::min(next, *retries.begin() * 1000);
          const int64_t to = until ? std::min(*until + lateUs, next) : next;
          clock = std::max(clock, to);
        },
        [&] { return clock; },
        [&] {
          if (!output.empty()) output += ' ';
          output += "flushed@" + std::to_string(clock / 1000);
          request = InjectionRequest::Run;
        });
    return *this;
  }
};

struct Case {
  const char* what;
  std::initializer_list<Event> events;
  const char* verdicts;
  const char* output;
};

void Expect(const Profiles& profiles, std::initializer_list<Case> cases, int16_t numLock = 1) {
  for (const Case& c : cases) {
    Rig rig(profiles, numLock);
    rig.At(c.events).Run();
    EXPECT_EQ(rig.verdicts, c.verdicts) << c.what;
    EXPECT_EQ(rig.output, c.output) << c.what;
  }
}

TEST(RemapEngine, IdentityProfilesPassEverything) {
  Profiles p;
  KeyTracker keys;
  for (int vk = 0; vk <= 255; ++vk) {
    for (uint32_t flags : {0x00u, 0x80u, 0x01u, 0x81u}) {
      EXPECT_EQ(DecideKeyEvent(vk, flags, 0, p.Inputs(), keys).verdict, Verdict::Pass) << vk;
    }
  }
}

TEST(RemapEngine, TapsPlayAtTheRelease) {
  Profiles p;
  p.Tap(1, 112, {65}).Tap(1, 113, {17, 67}).Tap(1, 114, {65}, 30);
  Expect(p, {
                {"held with auto-repeat gives one output, at the release",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kDown, 330}, {112, kUp, 600}},
                 "swallow swallow swallow swallow",
                 "65↓@600 65↑@601"},
                {"presses then releases in sequence order, a millisecond apart", {{113, kDown, 0}, {113, kUp, 50}},
                 "swallow swallow", "17↓@50 67↓@51 17↑@52 67↑@53"},
                {"two releases at once play one after the other",
                 {{112, kDown, 0}, {113, kDown, 0}, {112, kUp, 10}, {113, kUp, 10}},
                 "swallow swallow swallow swallow", "65↓@10 65↑@11 17↓@12 67↓@13 17↑@14 67↑@15"},
                {"a key hold time keeps the key down that long", {{114, kDown, 0}, {114, kUp, 5}}, "swallow swallow",
                 "65↓@5 65↑@35"},
                {"injected events pass even when remapped", {{112, kInjectedDown, 0}, {112, kInjectedUp, 1}},
                 "pass pass", ""},
                {"codes the hook cannot track pass", {{300, kDown, 0}, {300, kUp, 1}, {-1, kDown, 2}}, "pass pass pass",
                 ""},
            });
}

TEST(RemapEngine, ALateTimerNeitherStretchesNorInterleavesSequences) {
  Profiles p;
  p.Tap(1, 112, {1, 2, 3, 4, 5, 6, 7, 8}).Tap(1, 113, {90});
  Rig rig(p);
  rig.lateUs = 700;
  rig.At({{112, kDown, 0}, {112, kUp, 10}, {113, kDown, 11}, {113, kUp, 12}}).Run(100);
  EXPECT_EQ(rig.output,
            "1↓@10 2↓@11 3↓@12 4↓@13 5↓@14 6↓@15 7↓@16 8↓@17 1↑@18 2↑@19 3↑@20 4↑@21 5↑@22 6↑@23 7↑@24 8↑@25 "
            "90↓@26 90↑@27")
      << "16 events in about 16 ms, not 16 × 1.7 ms, and the later key's output after them";
}

TEST(RemapEngine, ASlowInjectionShortensNoHoldTimeAndStretchesNoMacro) {
  Profiles p;
  p.Tap(1, 112, {65}, 30).Tap(1, 113, {17, 67}, 30);
  p.Set(1, 114, ActionKind::Macro, Recorded({{65, true, 0}, {65, false, 30}, {66, true, 30}, {66, false, 30}}));
  // Every injection takes 1.5 ms to go out; the output shows when each began.
  for (const auto& [what, key, expected] : {
           std::tuple{"a key given a hold time is down that long after its press went out", 112, "65↓@5 65↑@36"},
           std::tuple{"a combination: the hold counts from its last press", 113, "17↓@5 67↓@6 17↑@38 67↑@39"},
           std::tuple{"a recorded macro keeps its timeline", 114, "65↓@5 65↑@35 66↓@65 66↑@95"},
       }) {
    Rig rig(p);
    rig.sendUs = 1500;
    rig.At({{key, kDown, 0}, {key, kUp, 5}}).Run(1000);
    EXPECT_EQ(rig.output, expected) << what;
  }
}

TEST(RemapEngine, HeldKeysHoldAndRepeatWhileTheKeyIsDown) {
  Profiles p;
  p.Hold(1, 112, {38}).Hold(1, 113, {17, 67}).Hold(1, 114, {38});
  Expect(p, {
                {"F1 as Up: Up goes down with F1, repeats with it and comes up with it",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kDown, 330}, {112, kUp, 400}},
                 "swallow swallow swallow swallow", "38↓@0 38↓@300 38↓@330 38↑@400"},
                {"a combination: presses in order, repeats of the last key, releases reversed",
                 {{113, kDown, 0}, {113, kDown, 300}, {113, kUp, 310}},
                 "swallow swallow swallow", "17↓@0 67↓@1 67↓@300 67↑@310 17↑@311"},
                {"a profile switch while held: the release still lets go",
                 {{114, kDown, 0}, {114, kUp, 50, 2}}, "swallow swallow", "38↓@0 38↑@50"},
                {"pressed in another profile, then held here: the release passes alone",
                 {{112, kDown, 0, 2}, {112, kUp, 50, 1}}, "pass pass", ""},
            });
}

TEST(RemapEngine, MacrosKeepTheirTimingAndLoops) {
  Profiles p;
  p.Set(1, 112, ActionKind::Macro, Recorded({{65, true, 0}, {65, false, 50}, {66, true, 300}, {66, false, 40}}));
  p.Set(1, 113, ActionKind::Macro, TapProgram({88}, 0, 3));
  p.Set(1, 114, ActionKind::Macro, Recorded({{65, true, 0}, {65, false, 2000}, {66, true, 3000}, {66, false, 10}}));
  p.Set(1, 115, ActionKind::HoldMacro, Recorded({{65, true, 0}, {65, false, 100}, {66, true, 100}, {66, false, 100}}));
  p.Tap(1, 116, {90});
  Expect(p, {
                {"each step after its delay, downs and ups in their order", {{112, kDown, 0}, {112, kUp, 10}},
                 "swallow swallow", "65↓@10 65↑@60 66↓@360 66↑@400"},
                {"an untimed macro three times", {{113, kDown, 0}, {113, kUp, 0}}, "swallow swallow",
                 "88↓@0 88↑@1 88↓@2 88↑@3 88↓@4 88↑@5"},
                {"its key pressed again while it plays stops it; what it holds goes up; the release starts nothing",
                 {{114, kDown, 0}, {114, kUp, 0}, {114, kDown, 1000}, {114, kUp, 1100}},
                 "swallow swallow swallow swallow", "65↓@0 65↑@1000"},
                {"played again once it has ended", {{114, kDown, 0}, {114, kUp, 0}, {114, kDown, 6000}, {114, kUp, 6000}},
                 "swallow swallow swallow swallow", "65↓@0 65↑@2000 66↓@5000 66↑@5010 65↓@6000 65↑@8000 66↓@11000 66↑@11010"},
                {"pressed again the moment its last event goes out, it plays again",
                 {{112, kDown, 0}, {112, kUp, 10}, {112, kDown, 400, 0, true}, {112, kUp, 400, 0, true}},
                 "swallow swallow swallow swallow", "65↓@10 65↑@60 66↓@360 66↑@400 65↓@401 65↑@450 66↓@750 66↑@790"},
                {"a long macro never delays another key's output",
                 {{114, kDown, 0}, {114, kUp, 0}, {116, kDown, 1500}, {116, kUp, 1500}},
                 "swallow swallow swallow swallow", "65↓@0 90↓@1500 90↑@1501 65↑@2000 66↓@5000 66↑@5010"},
                {"held, a macro loops; the release drops the rest of the pass and lets go",
                 {{115, kDown, 0}, {115, kDown, 300}, {115, kUp, 350}},
                 "swallow swallow swallow", "65↓@0 65↑@100 66↓@200 66↑@300 65↓@301 65↑@350"},
            });
}

TEST(RemapEngine, ReleasesFollowTheirPresses) {
  Profiles p;
  p.Tap(1, 112, {65}).Tap(2, 112, {66}).Tap(2, 113, {67}).Tap(1, 13, {68});
  Expect(p, {
                {"a release whose press the hook never saw passes", {{112, kUp, 0}}, "pass", ""},
                {"a key remapped while held passes its repeats and release",
                 {{113, kDown, 0}, {113, kDown, 10, 2}, {113, kUp, 20}}, "pass pass pass", ""},
                {"a key unmapped while held stays swallowed and its release passes alone",
                 {{113, kDown, 0, 2}, {113, kDown, 10, 1}, {113, kUp, 20}}, "swallow swallow pass", ""},
                {"the profile active at the release decides what plays", {{112, kDown, 0}, {112, kUp, 10, 2}},
                 "swallow swallow", "66↓@10 66↑@11"},
                {"injected events neither press nor release a tracked key",
                 {{112, kDown, 0}, {112, kInjectedUp, 1}, {112, kUp, 2}, {112, kInjectedDown, 3}, {112, kUp, 4}},
                 "swallow pass swallow pass pass", "65↓@2 65↑@3"},
                // Main Enter (13) is remapped, keypad Enter (108) is not: keypad Enter released with
                // Alt held reads as 13 and must not take main Enter's swallowed press for its own.
                {"keypad Enter released with Alt held is still the key that was pressed",
                 {{13, kDown, 0}, {13, 0x01, 1}, {13, 0xA1, 2}, {13, kUp, 3}}, "swallow pass pass swallow",
                 "68↓@3 68↑@4"},
            });
}

TEST(RemapEngine, AHookInstalledAgainKnowsTheKeysHeldDown) {
  // 112 taps in profile 1 only, 113 in profile 2 only, 114 holds Up; all are down across a new
  // install of the hook, then auto-repeat and are let go.
  Profiles p;
  p.Tap(1, 112, {65}).Tap(2, 113, {66}).Hold(1, 114, {38});
  OutputQueue queue;
  auto run = [&](KeyTracker& keys, std::initializer_list<Event> events) {
    std::string out;
    for (const Event& e : events) {
      if (e.switchTo != 0) p.active = e.switchTo;
      const KeyDecision d = HandleKeyEvent(e.vk, e.flags, static_cast<uint32_t>(e.atMs), p.Inputs(), keys, queue);
      static const char* kCommands[] = {"play", "hold", "loop", "repeat", "release", "interrupt"};
      out += std::string(out.empty() ? "" : " ") + (d.verdict == Verdict::Swallow ? "swallow" : "pass") +
             (d.command ? std::string("/") + kCommands[int(*d.command)] : "");
    }
    queue.Clear();
    return out;
  };

  // 113 went through while profile 1 was active, so the system holds it down; 112 and 114 were
  // swallowed, so the system never saw them go down.
  KeyTracker keys;
  keys.Reset(1);
  EXPECT_EQ(run(keys, {{112, kDown}, {113, kDown}, {114, kDown}}), "swallow pass swallow/hold");
  std::bitset<256> systemDown;
  systemDown.set(113);

  KeyTracker installed = keys;  // the keyboard arrived, or the hook came back after a removal
  installed.Reset(1, systemDown);
  EXPECT_EQ(run(installed, {{113, kDown, 0, 2}, {113, kUp}}), "pass pass")
      << "repeats and release of a key that went through pass, though profile 2 remaps it";

  KeyTracker again = keys;  // the same hook out and in again
  p.active = 1;
  again.Resync(1, systemDown);
  EXPECT_EQ(run(again, {{112, kUp}, {114, kDown}, {114, kUp}, {113, kDown, 0, 2}, {113, kUp}}),
            "swallow/play swallow/repeat swallow/release pass pass")
      << "a swallowed press still plays at its release, a held key still repeats and lets go";

  // The system holds "Enter" down, which may be the keypad's (known here as 108, and remapped).
  p.Tap(1, 108, {67});
  KeyTracker enter;
  std::bitset<256> enterDown;
  enterDown.set(13);
  enter.Reset(1, enterDown);
  EXPECT_EQ(run(enter, {{13, 0x01}, {13, 0x81}}), "pass pass") << "the repeat and release of a keypad Enter held";
}

TEST(RemapEngine, KeysSwallowedBeforeTheUserLeftPlayNothingAgain) {
  // 112 holds Up, 113 loops a macro while held, 114 taps A, 115 is nobody's. All go down, then
  // the user leaves the desktop (and the hook sees nothing there) or comes back.
  Profiles p;
  p.Hold(1, 112, {38}).Set(1, 113, ActionKind::HoldMacro, TapProgram({66}, 0)).Tap(1, 114, {65});
  OutputQueue queue;
  auto run = [&](KeyTracker& keys, std::initializer_list<Event> events) {
    std::string out;
    for (const Event& e : events) {
      const KeyDecision d = HandleKeyEvent(e.vk, e.flags, static_cast<uint32_t>(e.atMs), p.Inputs(), keys, queue);
      static const char* kCommands[] = {"play", "hold", "loop", "repeat", "release", "interrupt"};
      out += std::string(out.empty() ? "" : " ") + (d.verdict == Verdict::Swallow ? "swallow" : "pass") +
             (d.command ? std::string("/") + kCommands[int(*d.command)] : "");
    }
    queue.Clear();
    return out;
  };
  KeyTracker before;
  before.Reset(1);
  ASSERT_EQ(run(before, {{112, kDown, 0}, {113, kDown, 0}, {114, kDown, 0}, {115, kDown, 0}}),
            "swallow/hold swallow/loop swallow pass");
  std::bitset<256> systemDown;
  systemDown.set(115);  // the one press that went through

  struct Case {
    const char* what;
    int forgets;  // 1: left; 2: left and came back
    std::initializer_list<Event> events;
    const char* verdicts;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"held on, the keys' auto-repeats and releases start nothing; the passed key still passes", 1,
            {{112, kDown, 500}, {113, kDown, 500}, {114, kDown, 500}, {115, kDown, 500},
             {112, kUp, 900}, {113, kUp, 900}, {114, kUp, 900}, {115, kUp, 900}},
            "swallow swallow swallow pass swallow swallow swallow pass"},
           {"left and back again: the same", 2,
            {{112, kDown, 500}, {112, kDown, 1900}, {112, kUp, 2000}, {114, kUp, 2000}},
            "swallow swallow swallow swallow"},
           {"once let go of, a key works again at its next press", 1,
            {{112, kUp, 100}, {112, kDown, 200}, {112, kUp, 300}, {114, kUp, 100}, {114, kDown, 200}, {114, kUp, 300}},
            "swallow swallow/hold swallow/release swallow swallow swallow/play"},
           {"a press after a pause no auto-repeat leaves is a new press: the key was let go of unseen", 1,
            {{112, kDown, 1600}, {112, kUp, 1700}, {113, kDown, 5000}, {113, kUp, 5100}},
            "swallow/hold swallow/release swallow/loop swallow/release"},
           {"auto-repeats a second apart keep the key forgotten", 1,
            {{112, kDown, 1000}, {112, kDown, 2000}, {112, kDown, 3000}, {112, kUp, 3100}},
            "swallow swallow swallow swallow"},
       }) {
    KeyTracker keys = before;
    for (int n = 0; n < c.forgets; ++n) keys.Forget(1, systemDown);
    EXPECT_EQ(run(keys, c.events), c.verdicts) << c.what;
  }

  std::bitset<256> releasedUnseen;
  releasedUnseen.set(112);  // raw input reported F1's release while the hook was gone
  KeyTracker reported = before;
  reported.Forget(1, systemDown, releasedUnseen);
  EXPECT_EQ(run(reported, {{112, kDown, 100}, {112, kUp, 200}, {113, kDown, 100}, {113, kUp, 200}}),
            "swallow/hold swallow/release swallow swallow")
      << "a key whose release raw input reported is pressed anew at once; the others stay forgotten";

  KeyTracker reinstalled = before;
  reinstalled.Forget(1, systemDown);
  reinstalled.Resync(1, systemDown);
  EXPECT_EQ(run(reinstalled, {{114, kUp, 100}}), "swallow") << "the same hook put back still forgets";
  KeyTracker installed = before;
  installed.Forget(1, systemDown);
  installed.Reset(1, systemDown);
  EXPECT_EQ(run(installed, {{114, kUp, 100}}), "pass") << "a new hook saw no key go down";
}

TEST(RemapEngine, LeavingTheDesktopLetsGoAtOnceAndTheReleasesPlayNothing) {
  // F1 holds Up, F2 loops "b held 100 ms" while held, F3 taps Z. F1 and F2 are held while the user
  // leaves the desktop (the worker drops, the hook forgets), auto-repeat there, and are let go.
  Profiles p;
  p.Hold(1, 112, {38})
      .Set(1, 113, ActionKind::HoldMacro, Recorded({{66, true, 0}, {66, false, 100}}))
      .Tap(1, 114, {90});
  Rig rig(p);
  rig.requests[150] = InjectionRequest::Drop;
  rig.At({{112, kDown, 0}, {113, kDown, 0}, {112, kDown, 500}, {113, kDown, 500}, {112, kUp, 600}, {113, kUp, 600},
          {114, kDown, 700}, {114, kUp, 700}})
      .Run(1000);
  EXPECT_EQ(rig.verdicts, "swallow swallow swallow swallow swallow swallow swallow swallow");
  EXPECT_EQ(rig.output, "38↓@0 66↓@1 66↑@100 66↓@101 38↑@150 66↑@151 flushed@151 90↓@700 90↑@701")
      << "Up and b go up at the drop, the loop stops, and only the key pressed anew plays";
}

TEST(RemapEngine, AFlushLetsGoOnlyOfWhatCameBeforeIt) {
  // F1 plays a macro that holds A for 5 s, F2 holds Up. The profile switches at 5 ms (a flush of
  // what was queued by then), and F2 is pressed 10 ms after it and held for half a second.
  Profiles p;
  p.Set(1, 112, ActionKind::Macro, Recorded({{65, true, 0}, {65, false, 5000}})).Hold(1, 113, {38});
  p.Hold(2, 113, {38});
  Rig rig(p);
  rig.markedFlushes.insert(5);
  rig.At({{112, kDown, 0}, {112, kUp, 0}, {113, kDown, 15, 2}, {113, kUp, 500}}).Run(1000);
  EXPECT_EQ(rig.output, "65↓@0 38↓@15 65↑@205 flushed@205 38↑@500")
      << "the macro plays on until the deadline and goes; the key held after the switch stays down until let go";

  // A flush asked while the key is held, and its release queued after: the release still ends it.
  Rig later(p);
  later.markedFlushes.insert(20);
  later.At({{113, kDown, 0}, {113, kUp, 30}}).Run(1000);
  EXPECT_EQ(later.output, "38↓@0 38↑@20 flushed@20") << "held before the flush: let go at it";
}

TEST(OutputQueueTest, NeverDropsWhatEndsAPlaybackAndFoldsWaitingRepeats) {
  using Kind = OutputCommand::Kind;
  OutputQueue queue(8);  // two slots kept for what ends a playback
  auto push = [&](Kind kind, int key) {
    OutputCommand command;
    command.kind = kind;
    command.key = key;
    return queue.Push(command);
  };
  std::string accepted;
  for (int key = 1; key <= 7; ++key) accepted += push(Kind::Play, key) ? '+' : '-';
  EXPECT_EQ(accepted, "++++++-") << "what starts a playback fills six of the eight slots";
  EXPECT_TRUE(push(Kind::Release, 1));
  EXPECT_TRUE(push(Kind::Interrupt, 2));
  EXPECT_FALSE(push(Kind::Release, 3)) << "only a queue full to the last slot drops an end";

  OutputQueue repeats(8);
  std::string folded;
  for (const auto& [kind, key] : {std::pair{Kind::Hold, 5}, {Kind::Repeat, 5}, {Kind::Repeat, 5}, {Kind::Repeat, 6},
                                  {Kind::Repeat, 5}}) {
    OutputCommand command;
    command.kind = kind;
    command.key = key;
    folded += repeats.Push(command) ? '+' : '-';
  }
  EXPECT_EQ(folded, "+++++");
  EXPECT_EQ(repeats.size(), 3u) << "a second auto-repeat of a key waiting adds nothing";
  EXPECT_EQ(repeats.Mark(), 3u);
  OutputCommand taken;
  std::string sequences;
  while (repeats.Pop(taken)) sequences += std::to_string(taken.sequence);
  EXPECT_EQ(sequences, "012") << "numbered in queue order";
  OutputCommand again;
  again.kind = Kind::Repeat;
  again.key = 5;
  EXPECT_TRUE(repeats.Push(again));
  EXPECT_EQ(repeats.size(), 1u) << "once taken, the next auto-repeat queues again";
}

TEST(RemapEngine, KeypadEnterIsKnownAs108) {
  Profiles p;
  p.Tap(1, 108, {66});
  Expect(p, {
                {"keypad Enter", {{13, 0x01, 0}, {13, 0x81, 1}}, "swallow swallow", "66↓@1 66↑@2"},
                {"main Enter", {{13, 0x00, 0}, {13, 0x80, 1}}, "pass pass", ""},
                {"keypad Enter with Alt held", {{13, 0x21, 0}, {13, 0xA1, 1}}, "pass pass", ""},
            });
  EXPECT_EQ(DecideKeyEvent(13, 0x01, 0, p.Inputs(), KeyTracker{}).vkCode, 108);
  p.Set(1, 108, ActionKind::Identity, nullptr);
  EXPECT_EQ(DecideKeyEvent(13, 0x01, 0, p.Inputs(), KeyTracker{}).vkCode, 108) << "the rewrite stands when it passes";
}

TEST(RemapEngine, KeypadCodesFollowNumLock) {
  Profiles p;
  p.Tap(1, 65, {96, 101, 110});
  const char* kOff = "45↓@0 101↓@1 46↓@2 45↑@3 101↑@4 46↑@5";
  const char* kOn = "96↓@0 101↓@1 110↓@2 96↑@3 101↑@4 110↑@5";
  struct Seed {
    int16_t state;
    const char* output;
  } seeds[] = {
      {0, kOff},
      {1, kOn},
      {static_cast<int16_t>(0x8001), kOff},  // on, but the key is held
      {static_cast<int16_t>(0xFF80), kOff},  // held, not toggled
  };
  for (const Seed& s : seeds) {
    Rig rig(p, s.state);
    EXPECT_EQ(rig.At({{65, kDown, 0}, {65, kUp, 0}}).Run().output, s.output) << s.state;
  }

  // Then the hook follows the NumLock key itself; a held key keeps the reading of its press.
  p.Tap(1, 65, {96}).Tap(2, 144, {66}).Hold(1, 66, {104});
  struct Case {
    const char* what;
    int16_t seed;
    std::initializer_list<Event> events;
    const char* output;
  } cases[] = {
      {"a tap turns it off", 1, {{144, kDown, 0}, {144, kUp, 1}, {65, kDown, 2}, {65, kUp, 3}}, "45↓@3 45↑@4"},
      {"a tap turns it on", 0, {{144, kDown, 0}, {144, kUp, 1}, {65, kDown, 2}, {65, kUp, 3}}, "96↓@3 96↑@4"},
      {"held, it counts as off; its repeats do not toggle it again", 0,
       {{144, kDown, 0}, {144, kDown, 1}, {65, kDown, 2}, {65, kUp, 3}, {144, kUp, 4}, {65, kDown, 5}, {65, kUp, 6}},
       "45↓@3 45↑@4 96↓@6 96↑@7"},
      {"injected taps count", 1, {{144, kInjectedDown, 0}, {144, kInjectedUp, 1}, {65, kDown, 2}, {65, kUp, 3}},
       "45↓@3 45↑@4"},
      {"a swallowed NumLock does not", 1, {{144, kDown, 0, 2}, {144, kUp, 1}, {65, kDown, 2, 1}, {65, kUp, 3}},
       "66↓@1 66↑@2 96↓@3 96↑@4"},
      {"a held key lets go of what it pressed, NumLock changed or not", 1,
       {{66, kDown, 0}, {144, kDown, 10}, {144, kUp, 11}, {66, kUp, 20}}, "104↓@0 104↑@20"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rig(p, c.seed).At(c.events).Run().output, c.output) << c.what;

  const std::pair<int, int> table[] = {{96, 45}, {97, 35},  {98, 40},  {99, 34},  {100, 37}, {101, 101},
                                       {102, 39}, {103, 36}, {104, 38}, {105, 33}, {110, 46}, {106, 106}};
  for (auto [code, off] : table) {
    EXPECT_EQ(TranslateNumpadCode(code, false), off);
    EXPECT_EQ(TranslateNumpadCode(code, true), code);
  }
}

TEST(RemapEngine, DisabledKeysSwallowBothEdgesAndSendNothing) {
  Profiles p;
  p.Set(1, 112, ActionKind::Disabled, nullptr).Set(2, 113, ActionKind::Disabled, nullptr);
  Expect(p, {
                {"press, auto-repeats and release",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kUp, 400}},
                 "swallow swallow swallow",
                 ""},
                {"pressed before it was disabled: the application still gets the release",
                 {{113, kDown, 0}, {113, kDown, 10, 2}, {113, kUp, 20}},
                 "pass pass pass",
                 ""},
                {"pressed while disabled, released where it sends itself: the release passes alone, nothing plays",
                 {{112, kDown, 0}, {112, kUp, 20, 2}},
                 "swallow pass",
                 ""},
            });
}

TEST(RemapEngine, TextKeysTypeTheirTextAtTheRelease) {
  Profiles p;
  // "Жa", a line break, a tab, then U+1F600 (a surrogate pair in UTF-16).
  p.Text(1, 112, L"\u0416a\n\t\U0001F600").Text(1, 113, L"abcdef");
  Expect(p, {
                {"every unit down and up, Enter for the line break, Tab for the tab, the pair's four events in one call",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kUp, 400}},
                 "swallow swallow swallow",
                 "U+0416↓@400 U+0416↑@401 U+0061↓@402 U+0061↑@403 13↓@404 13↑@405 9↓@406 9↑@407 "
                 "U+D83D↓@408+U+D83D↑@408+U+DE00↓@408+U+DE00↑@408"},
                {"pressed again while it types: it stops, the unit down goes up, the release types nothing",
                 {{113, kDown, 0}, {113, kUp, 0}, {113, kDown, 3}, {113, kUp, 10}},
                 "swallow swallow swallow swallow",
                 "U+0061↓@0 U+0061↑@1 U+0062↓@2 U+0062↑@3"},
                {"typed units never count as held keys: the codes 0x61 and 0x62 are not left down",
                 {{113, kDown, 0}, {113, kUp, 0}, {65, kDown, 20}, {65, kUp, 21}},
                 "swallow swallow pass pass",
                 "U+0061↓@0 U+0061↑@1 U+0062↓@2 U+0062↑@3 U+0063↓@4 U+0063↑@5 U+0064↓@6 U+0064↑@7 U+0065↓@8 "
                 "U+0065↑@9 U+0066↓@10 U+0066↑@11"},
            });

  // A text longer than a flush lasts: cut off at the deadline, the unit it pressed goes up too.
  p.Text(1, 114, std::wstring(300, L'x'));
  for (InjectionRequest request : {InjectionRequest::Flush, InjectionRequest::Stop}) {
    Rig rig(p);
    rig.At({{114, kDown, 0}, {114, kUp, 0}});
    rig.requests[11] = request;
    rig.Run(1000);
    EXPECT_NE(rig.output.find("U+0078↓@210 U+0078↑@211"), std::string::npos)
        << rig.output.substr(rig.output.size() - 60);
    EXPECT_EQ(rig.output.find("@212"), std::string::npos) << "nothing after the deadline";
  }
}

TEST(RemapEngine, ACharacterTypedAsASurrogatePairIsNeverCutInHalf) {
  Profiles p;
  p.Text(1, 112, L"\U0001F600\U0001F601");
  Expect(p, {
                {"each pair in one call, a beat apart",
                 {{112, kDown, 0}, {112, kUp, 0}},
                 "swallow swallow",
                 "U+D83D↓@0+U+D83D↑@0+U+DE00↓@0+U+DE00↑@0 U+D83D↓@1+U+D83D↑@1+U+DE01↓@1+U+DE01↑@1"},
                {"pressed again as the first pair goes out: that pair is whole, the second never starts",
                 {{112, kDown, 0}, {112, kUp, 0}, {112, kDown, 0, 0, true}, {112, kUp, 5}},
                 "swallow swallow swallow swallow",
                 "U+D83D↓@0+U+D83D↑@0+U+DE00↓@0+U+DE00↑@0"},
            });
}

TEST(InjectionBatches, ThePairsFourStepsGoTogetherAndNothingElseDoes) {
  constexpr int kHigh = 0xD83D, kLow = 0xDE00, kOtherHigh = 0xD83C;
  const auto unit = [](int code, bool down, uint32_t delayMs = 0) { return ProgramStep{code, down, delayMs, true}; };
  const auto key = [](int code, bool down) { return ProgramStep{code, down, 0, false}; };
  const std::vector<ProgramStep> pair = {unit(kHigh, true), unit(kHigh, false), unit(kLow, true), unit(kLow, false)};
  struct Case {
    const char* what;
    std::vector<ProgramStep> steps;
    size_t at, together;
  } cases[] = {
      {"each unit tapped, as a text types it", pair, 0, 4},
      {"both units down, then both up",
       {unit(kHigh, true), unit(kLow, true), unit(kHigh, false), unit(kLow, false)}, 0, 4},
      {"a pair after a unit of its own", {unit(0x61, true), unit(0x61, false), pair[0], pair[1], pair[2], pair[3]}, 2, 4},
      {"the unit before the pair goes alone", {unit(0x61, true), unit(0x61, false), pair[0], pair[1], pair[2], pair[3]}, 0,
       1},
      {"from inside a pair", pair, 1, 1},
      {"past the end", pair, 4, 1},
      {"a unit of the basic plane", {unit(0x416, true), unit(0x416, false), unit(0x61, true), unit(0x61, false)}, 0, 1},
      {"a pair cut short by the end", {pair[0], pair[1], pair[2]}, 0, 1},
      {"the low unit first", {pair[2], pair[3], pair[0], pair[1]}, 0, 1},
      {"two high units", {pair[0], pair[1], unit(kOtherHigh, true), unit(kOtherHigh, false)}, 0, 1},
      {"a key between the units", {pair[0], pair[1], key(13, true), key(13, false)}, 0, 1},
      {"a recorded pause inside", {pair[0], pair[1], unit(kLow, true, 5), pair[3]}, 0, 1},
      {"the low unit up before it is down", {pair[0], pair[1], pair[3], pair[2]}, 0, 1},
      {"key codes, not units", {key(kHigh, true), key(kHigh, false), key(kLow, true), key(kLow, false)}, 0, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(StepsTogether(c.steps, c.at), c.together) << c.what;
}

TEST(RemapEngine, ProgramKeysAskOnceAtTheReleaseAndSendNothing) {
  Profiles p;
  p.Set(1, 112, ActionKind::Launch, nullptr).Set(2, 112, ActionKind::Launch, nullptr);
  p.Set(1, 113, ActionKind::Launch, nullptr);
  Expect(p, {
                {"press and auto-repeats ask nothing; the release asks once",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kDown, 330}, {112, kUp, 400}},
                 "swallow swallow swallow swallow+start1",
                 ""},
                {"the profile active at the release is the one asked for",
                 {{112, kDown, 0}, {112, kUp, 10, 2}},
                 "swallow swallow+start2",
                 ""},
                {"pressed before it became a program key: nothing starts",
                 {{113, kDown, 0, 2}, {113, kUp, 10, 1}},
                 "pass pass",
                 ""},
                {"a release whose press the hook never saw starts nothing", {{112, kUp, 0}}, "pass", ""},
            });
}

TEST(RemapEngine, KeysPassAsTheyAreWhileAWindowOfOursIsInFront) {
  // 112 taps A, 113 holds Up, 114 starts a program, 115 loops a macro while held. Our window comes
  // in front (the hook forgets, the worker drops) after `before`, another program's after `during`.
  Profiles p;
  p.Tap(1, 112, {65}).Hold(1, 113, {38}).Set(1, 114, ActionKind::Launch, nullptr);
  p.Set(1, 115, ActionKind::HoldMacro, TapProgram({66}, 0));
  OutputQueue queue;
  auto run = [&](KeyTracker& keys, bool own, std::initializer_list<Event> events) {
    Profiles now = p;
    now.ownWindow = own;
    std::string out;
    for (const Event& e : events) {
      const KeyDecision d = HandleKeyEvent(e.vk, e.flags, static_cast<uint32_t>(e.atMs), now.Inputs(), keys, queue);
      static const char* kCommands[] = {"play", "hold", "loop", "repeat", "release", "interrupt"};
      out += std::string(out.empty() ? "" : " ") + (d.verdict == Verdict::Swallow ? "swallow" : "pass") +
             (d.command ? std::string("/") + kCommands[int(*d.command)] : "") + (d.launchProfile ? "+start" : "");
    }
    queue.Clear();
    return out;
  };
  struct Case {
    const char* what;
    std::initializer_list<Event> before, during, after;
    const char* verdicts;  // before|during|after
  };
  for (const Case& c : std::initializer_list<Case>{
           {"in our window every key types itself and starts nothing", {},
            {{112, kDown, 0}, {112, kUp, 10}, {113, kDown, 20}, {113, kDown, 520}, {113, kUp, 530},
             {114, kDown, 540}, {114, kUp, 550}, {115, kDown, 560}, {115, kUp, 570}},
            {}, "|pass pass pass pass pass pass pass pass pass|"},
           {"held when our window came: the repeats and releases play nothing",
            {{112, kDown, 0}, {113, kDown, 0}, {115, kDown, 0}},
            {{113, kDown, 500}, {112, kUp, 510}, {113, kUp, 520}, {115, kUp, 530}},
            {}, "swallow swallow/hold swallow/loop|swallow swallow swallow swallow|"},
           {"pressed in our window, let go of after another program came: the release passes", {},
            {{112, kDown, 0}, {113, kDown, 0}}, {{113, kDown, 500}, {112, kUp, 510}, {113, kUp, 520}},
            "|pass pass|pass pass pass"},
           {"another program in front again: remapped at the next press", {}, {{112, kDown, 0}, {112, kUp, 10}},
            {{112, kDown, 20}, {112, kUp, 30}, {114, kDown, 40}, {114, kUp, 50}},
            "|pass pass|swallow swallow/play swallow swallow+start"},
       }) {
    KeyTracker keys;
    keys.Reset(1);
    std::string got = run(keys, false, c.before) + "|";
    keys.Forget(1, {});  // as RemapSession::SetOwnWindowInFront does
    got += run(keys, true, c.during) + "|";
    got += run(keys, false, c.after);
    EXPECT_EQ(got, c.verdicts) << c.what;
  }
}

TEST(RemapEngine, ProfilesAndPresenceAreReadAtEachEvent) {
  Profiles p;
  p.Tap(2, 112, {65});
  EXPECT_EQ(Rig(p).At({{112, kDown}, {112, kUp}}).Run().verdicts, "pass pass") << "only profile 2 maps the key";
  p.active = 2;
  EXPECT_EQ(Rig(p).At({{112, kDown}, {112, kUp}}).Run().output, "65↓@0 65↑@1");
  for (int bad : {0, 4, -1}) {
    p.active = bad;
    EXPECT_EQ(Rig(p).At({{112, kDown}, {112, kUp}}).Run().verdicts, "pass pass") << bad;
  }
  p.active = 2;
  p.present = false;
  EXPECT_EQ(Rig(p).At({{112, kDown}, {112, kUp}, {112, kInjectedDown}}).Run().verdicts, "unhook unhook unhook");
}

// A window in front whose program runs with more rights than ours takes none of our input: a
// release refused that way is kept and sent again, before anything else, at the next command, the
// next injection or when the worker is asked (a foreground change), never at every timed wake.
TEST(RemapEngine, RefusedReleasesGoOutAgainSoNoKeyStaysDown) {
  Profiles p;
  p.Hold(1, 116, {150}).Hold(1, 117, {160, 65}).Tap(1, 112, {67});
  struct Case {
    const char* what;
    std::initializer_list<Event> events;
    std::map<int64_t, int> refusals;  // by ms: how many injections from then on are refused
    std::set<int64_t> retries;        // by ms: the worker asked to try again
    const char* output;
    int64_t endMs = 100'000;          // the exit
  } cases[] = {
      {"the next command: the release goes first",
       {{116, kDown, 0}, {116, kUp, 10}, {112, kDown, 20}, {112, kUp, 30}},
       {{10, 1}},
       {},
       "150↓@0 150↑✗@10 150↑@30 67↓@30 67↑@31"},
      {"nothing else comes: it waits for the worker to be asked, with no try in between",
       {{116, kDown, 0}, {116, kUp, 10}},
       {{10, 1}},
       {50},
       "150↓@0 150↑✗@10 150↑@50"},
      {"refused again at the next command, it goes before the next injection",
       {{116, kDown, 0}, {116, kUp, 10}, {112, kDown, 20}, {112, kUp, 30}},
       {{10, 2}},
       {},
       "150↓@0 150↑✗@10 150↑✗@30 150↑@30 67↓@30 67↑@31"},
      {"several keys go up together, in code order",
       {{117, kDown, 0}, {117, kUp, 10}},
       {{10, 3}},
       {50},
       "160↓@0 65↓@1 65↑✗@10 65↑✗@11 160↑✗@11 65↑@50+160↑@50"},
      {"the key pressed again meanwhile is its playback's: no stray release later",
       {{116, kDown, 0}, {116, kUp, 10}, {116, kDown, 20}, {116, kUp, 30}},
       {{10, 3}},
       {},
       "150↓@0 150↑✗@10 150↑✗@20 150↑✗@20 150↓@20 150↑@30"},
      {"the exit tries once more", {{116, kDown, 0}, {116, kUp, 10}}, {{10, 1}}, {}, "150↓@0 150↑✗@10 150↑@100", 100},
  };
  for (const Case& c : cases) {
    Rig rig(p);
    rig.refusals = c.refusals;
    rig.retries = c.retries;
    rig.At(c.events).Run(c.endMs);
    EXPECT_EQ(rig.output, c.output) << c.what;
  }
}

TEST(RemapEngine, AFullQueueDropsTheCommandNotTheHook) {
  Profiles p;
  p.Tap(1, 113, {17, 67});
  Rig rig(p, 1, 1);
  // Both releases come before the worker takes anything: the second finds the queue full.
  rig.At({{113, kDown, 0}, {113, kUp, 0}, {113, kDown, 0}, {113, kUp, 0}}).Run();
  EXPECT_EQ(rig.verdicts, "swallow swallow swallow dropped");
  EXPECT_EQ(rig.output, "17↓@0 67↓@1 17↑@2 67↑@3");
}

TEST(RemapEngine, ExitAndFlushLetGoOfEverything) {
  // A macro that presses 120 keys and lets them go only 5 s later, and a held key, when the
  // program stops or the hook goes: what plays goes on for 200 ms, then every key still down is
  // released, in code order.
  Macro macro;
  for (int code = 1; code <= 120; ++code) {
    macro.steps.push_back({0, code, 1});
    macro.delays.push_back(0);
  }
  for (int code = 1; code <= 120; ++code) {
    macro.steps.push_back({0, code, 0});
    macro.delays.push_back(code == 1 ? 5000 : 0);
  }
  Profiles p;
  p.Set(1, 200, ActionKind::Macro, TimedProgram(macro)).Hold(1, 201, {150});
  for (InjectionRequest request : {InjectionRequest::Flush, InjectionRequest::Stop}) {
    Rig rig(p);
    rig.At({{201, kDown, 0}, {200, kDown, 1}, {200, kUp, 1}});
    rig.requests[2] = request;
    rig.Run(1000);
    std::istringstream out(rig.output);
    std::map<int, int> down;
    std::string token, last;
    while (out >> token) {
      if (token.starts_with("flushed")) continue;
      down[std::stoi(token)] += token.find("↓") != std::string::npos ? 1 : -1;
      last = token;
    }
    for (auto [code, count] : down) EXPECT_EQ(count, 0) << code;
    EXPECT_NE(rig.output.find("120↓@120 1↑@202 2↑@203"), std::string::npos)
        << "plays on until the deadline, then lets go in code order";
    EXPECT_EQ(last, "150↑@322") << "the held key too";
    EXPECT_EQ(rig.output.ends_with("flushed@322"), request == InjectionRequest::Flush);
  }
}

TEST(RemapEngine, AnIdleWorkerSleepsUntilSomethingComes) {
  Profiles p;
  p.Tap(1, 112, {65});
  int waits = 0;
  int forever = 0;
  OutputQueue queue;
  KeyTracker keys;
  keys.Reset(1);
  int64_t clock = 0;
  HandleKeyEvent(112, kDown, 0, p.Inputs(), keys, queue);
  HandleKeyEvent(112, kUp, 1, p.Inputs(), keys, queue);
  RunInjectionLoop(
      queue, [&] { return waits >= 3 ? InjectionRequest::Stop : InjectionRequest::Run; },
      [](const InjectionBatch& batch) { return batch.size; },
      [&](std::optional<int64_t> until) {
        ++waits;
        forever += until ? 0 : 1;
        clock = until.value_or(clock + 1'000'000);
      },
      [&] { return clock; }, [] {});
  EXPECT_EQ(waits, 3) << "one wait for the spacing before the release, then sleep";
  EXPECT_EQ(forever, 2) << "with nothing to play the worker waits without a time";
}

TEST(InjectedKey, CarriesTheExtendedFlagOfTheRealKey) {
  EXPECT_EQ(InjectedKeyFor(108), (InjectedKey{13, true})) << "keypad Enter";
  EXPECT_EQ(InjectedKeyFor(13), (InjectedKey{13, false})) << "main Enter";
  // Each extended key beside its neighbours or its twin that is not.
  const int extended[] = {3, 33, 36, 37, 40, 44, 45, 46, 91, 92, 93, 111, 144, 163, 165, 166, 175, 183};
  const int plain[] = {12, 19, 32, 41, 47, 90, 96, 104, 105, 106, 110, 145, 162, 164, 184, 65, 160, 161};
  for (int code : extended) EXPECT_EQ(InjectedKeyFor(code), (InjectedKey{code, true})) << code;
  for (int code : plain) EXPECT_EQ(InjectedKeyFor(code), (InjectedKey{code, false})) << code;
}

TEST(InjectedKey, TakesTheExtendedFlagFromAnE0PrefixOnly) {
  const InjectedKey pause{19, false}, rightCtrl{163, true}, home{36, true}, letter{65, false};
  struct Case {
    const char* what;
    InjectedKey key;
    unsigned layoutScan;
    KeyScan scan;
  } cases[] = {
      {"E0: extended", {200, false}, 0xE010, {0x10, true}},
      {"E0 for a key of the table", rightCtrl, 0xE01D, {0x1D, true}},
      {"E1 (Pause): not extended, or it reads as right Ctrl; 0x45 as the real key sends", pause, 0xE11D,
       {0x45, false}},
      {"E1 even where the table would say extended", {19, true}, 0xE11D, {0x45, false}},
      {"Pause where the layout has it without a prefix", pause, 0x45, {0x45, false}},
      {"no prefix: not extended", letter, 0x1E, {0x1E, false}},
      {"no prefix for a key the table knows extended: the table decides", home, 0x47, {0x47, true}},
      {"a key the layout has no scan code for", letter, 0, {0, false}},
  };
  for (const Case& c : cases) EXPECT_EQ(ScanFor(c.key, c.layoutScan), c.scan) << c.what;
}

TEST(OutputQueueTest, KeepsOrderAcrossThreadsAndDropsWhatDoesNotFit) {
  OutputQueue small(2);
  OutputCommand command;
  EXPECT_TRUE(small.Push(command));
  EXPECT_TRUE(small.Push(command));
  EXPECT_FALSE(small.Push(command));
  EXPECT_EQ(small.Clear(), 2u);
  EXPECT_FALSE(small.Pop(command));

  // One producer that keeps the queue full, one consumer: commands come out in their order.
  OutputQueue queue(16);
  constexpr int kCommands = 20000;
  std::thread producer([&] {
    OutputCommand c;
    for (int i = 0; i < kCommands; ++i) {
      c.key = i;
      while (!queue.Push(c)) std::this_thread::yield();
    }
  });
  int expected = 0;
  int outOfOrder = 0;
  while (expected < kCommands) {
    OutputCommand c;
    if (!queue.Pop(c)) {
      std::this_thread::yield();
      continue;
    }
    outOfOrder += c.key != expected ? 1 : 0;
    ++expected;
  }
  producer.join();
  EXPECT_EQ(outOfOrder, 0);
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// Wine may show a key whose press we swallowed as down once the focus moves; forgetting it must
// not depend on what the system says, or its next press would pass as an auto-repeat of a key the
// program never pressed.
TEST(KeyTracker, ASwallowedKeyIsForgottenWhateverTheSystemShowsAndItsNextPressIsNew) {
  constexpr int kF5 = 116;
  KeyTracker keys;
  keys.Reset(0, {});
  KeyDecision held;
  held.verdict = Verdict::Swallow;
  held.command = OutputCommand::Kind::Hold;
  keys.Record(kF5, 0, 1000, held);
  std::bitset<256> systemDown;
  systemDown.set(kF5);
  keys.Forget(0, systemDown, {});
  keys.Forget(0, systemDown, {});  // our window came in front, then the recording hook came in
  EXPECT_TRUE(keys.forgotten[kF5]);
  EXPECT_TRUE(keys.RepeatsForgotten(kF5, 1000 + kAutoRepeatGapMs)) << "a repeat right after plays nothing";
  const uint32_t later = 1000 + kAutoRepeatGapMs + 500;
  EXPECT_FALSE(keys.RepeatsForgotten(kF5, later));
  keys.Record(kF5, 0, later, held);
  EXPECT_TRUE(keys.down[kF5] && keys.swallowed[kF5] && !keys.forgotten[kF5]) << "pressed anew, swallowed again";
}

// F9 in every profile is a profile key; F1 taps A in profile 1, B in profile 2, C in profile 3; F2
// holds Up in profile 1 and plays a long macro in profile 2.
Profiles ProfileKeyProfiles(ProfileTarget f9) {
  Profiles p;
  for (int n = 1; n <= 3; ++n) p.ProfileKey(n, 120, f9).Tap(n, 112, {64 + n});
  p.Hold(1, 113, {38}).Set(2, 113, ActionKind::Macro, Recorded({{66, true, 0}, {66, false, 1000}}));
  return p;
}

TEST(RemapEngine, AProfileKeySwitchesAtItsPressAndLeavesNothingDown) {
  Expect(ProfileKeyProfiles(ProfileTarget::Two),
         {
             {"press, auto-repeats and release are swallowed; the switch comes at the press",
              {{120, kDown, 0}, {120, kDown, 300}, {120, kUp, 400}, {112, kDown, 500}, {112, kUp, 510}},
              "swallow+profile2 swallow swallow swallow swallow",
              "flushed@0 66↓@510 66↑@511"},
             {"a key held across the switch is let go of at the switch, and its release plays nothing",
              {{113, kDown, 0}, {120, kDown, 100}, {120, kUp, 110}, {113, kUp, 200}},
              "swallow swallow+profile2 swallow swallow",
              "38↓@0 38↑@100 flushed@100"},
         });
  Expect(ProfileKeyProfiles(ProfileTarget::One),
         {
             {"a macro of the old profile stops at the switch, its key left up",
              {{113, kDown, 0, 2}, {113, kUp, 10}, {120, kDown, 500}, {120, kUp, 510}},
              "swallow swallow swallow+profile1 swallow",
              "66↓@10 66↑@700 flushed@700"},
         });
  Expect(ProfileKeyProfiles(ProfileTarget::Next),
         {
             {"next goes 1, 2, 3 and back to 1",
              {{120, kDown, 0},
               {120, kUp, 1},
               {112, kDown, 10},
               {112, kUp, 11},
               {120, kDown, 20},
               {120, kUp, 21},
               {112, kDown, 30},
               {112, kUp, 31},
               {120, kDown, 40},
               {120, kUp, 41},
               {112, kDown, 50},
               {112, kUp, 51}},
              "swallow+profile2 swallow swallow swallow swallow+profile3 swallow swallow swallow "
              "swallow+profile1 swallow swallow swallow",
              "flushed@0 66↓@11 66↑@12 flushed@20 67↓@31 67↑@32 flushed@40 65↓@51 65↑@52"},
         });
}

TEST(RemapEngine, PausePassesEveryOtherKeyWhileProfileKeysStillAct) {
  Profiles p = ProfileKeyProfiles(ProfileTarget::Pause);
  p.ProfileKey(1, 121, ProfileTarget::Three);
  Expect(p,
         {
             {"paused, F1 types itself; the second press remaps again",
              {{120, kDown, 0},
               {120, kUp, 10},
               {112, kDown, 20},
               {112, kUp, 30},
               {120, kDown, 40},
               {120, kUp, 50},
               {112, kDown, 60},
               {112, kUp, 70}},
              "swallow+paused swallow pass pass swallow+remapping swallow swallow swallow",
              "flushed@0 65↓@70 65↑@71"},
             {"pausing lets go of a held key; its release and a tap key's release play nothing",
              {{113, kDown, 0}, {112, kDown, 5}, {120, kDown, 100}, {120, kUp, 110}, {113, kUp, 200}, {112, kUp, 210}},
              "swallow swallow swallow+paused swallow swallow swallow",
              "38↓@0 38↑@100 flushed@100"},
             {"a profile key still switches while paused, and the pause holds",
              {{120, kDown, 0}, {120, kUp, 10}, {121, kDown, 20}, {121, kUp, 30}, {112, kDown, 40}, {112, kUp, 50}},
              "swallow+paused swallow swallow+profile3 swallow pass pass",
              "flushed@0 flushed@20"},
             {"a key pressed before the pause ended passes to its release",
              {{120, kDown, 0}, {120, kUp, 10}, {112, kDown, 20}, {120, kDown, 30}, {120, kUp, 40}, {112, kUp, 50}},
              "swallow+paused swallow pass swallow+remapping swallow pass",
              "flushed@0"},
         });
}

TEST(RemapEngine, TurboTapsOncePerPeriodWhileHeld) {
  Profiles p;
  p.Turbo(1, 112, {65}, 50).Turbo(1, 113, {17, 67}, 100).Turbo(1, 114, {114}, 20);
  Expect(p, {
                {"the first tap at the press, each down half the period; auto-repeats change nothing",
                 {{112, kDown, 0}, {112, kDown, 60}, {112, kDown, 90}, {112, kUp, 140}},
                 "swallow swallow swallow swallow",
                 "65↓@0 65↑@25 65↓@50 65↑@75 65↓@100 65↑@125"},
                {"a release in the middle of a tap lets go at once",
                 {{112, kDown, 0}, {112, kUp, 60}},
                 "swallow swallow",
                 "65↓@0 65↑@25 65↓@50 65↑@60"},
                {"a combination: presses, releases half a period later, the next pass a period after the first",
                 {{113, kDown, 0}, {113, kUp, 150}},
                 "swallow swallow",
                 "17↓@0 67↓@1 17↑@50 67↑@51 17↓@100 67↓@101 67↑@150 17↑@151"},
                {"a key tapping itself at the shortest period",
                 {{114, kDown, 0}, {114, kUp, 45}},
                 "swallow swallow",
                 "114↓@0 114↑@10 114↓@20 114↑@30 114↓@40 114↑@45"},
            });
}

TEST(RemapEngine, MouseKeysHoldButtonsAndTurnTheWheel) {
  Profiles p;
  p.Mouse(1, 112, MouseAction::Left).Mouse(1, 113, MouseAction::WheelDown).Mouse(1, 114, MouseAction::X2);
  p.Mouse(1, 115, MouseAction::Right, 40).Mouse(1, 116, MouseAction::WheelUp, 40);
  p.ProfileKey(1, 120, ProfileTarget::Two);
  Expect(p, {
                {"a button down at the press, up at the release; auto-repeats do nothing",
                 {{112, kDown, 0}, {112, kDown, 300}, {112, kDown, 330}, {112, kUp, 400}},
                 "swallow swallow swallow swallow",
                 "m1↓@0 m1↑@400"},
                {"the wheel turns a notch at the press and at each auto-repeat, nothing at the release",
                 {{113, kDown, 0}, {113, kDown, 300}, {113, kDown, 330}, {113, kUp, 400}},
                 "swallow swallow swallow swallow",
                 "m7↓@0 m7↓@300 m7↓@330"},
                {"a button held across a profile switch goes up at the switch",
                 {{114, kDown, 0}, {120, kDown, 100}, {120, kUp, 110}, {114, kUp, 200}},
                 "swallow swallow+profile2 swallow swallow",
                 "m5↓@0 m5↑@100 flushed@100"},
                {"turbo clicks a button and turns the wheel once per period",
                 {{115, kDown, 0}, {116, kDown, 0}, {115, kUp, 90}, {116, kUp, 90}},
                 "swallow swallow swallow swallow",
                 "m2↓@0 m6↓@1 m2↑@20 m2↓@40 m6↓@41 m2↑@60 m2↓@80 m6↓@81 m2↑@90"},
            });
  // The program stops with a button down: it goes up.
  Rig rig(p);
  rig.At({{112, kDown, 0}}).Run(50);
  EXPECT_EQ(rig.output, "m1↓@0 m1↑@50");
}

TEST(InjectedKey, MouseKeysGoAsButtonsAndWheelNotches) {
  const std::tuple<int, bool, MouseEvent> expected[] = {
      {1, false, {0x0002, 0}}, {1, true, {0x0004, 0}}, {2, false, {0x0008, 0}},   {2, true, {0x0010, 0}},
      {3, false, {0x0020, 0}}, {3, true, {0x0040, 0}}, {4, false, {0x0080, 1}},   {4, true, {0x0100, 1}},
      {5, false, {0x0080, 2}}, {5, true, {0x0100, 2}}, {6, false, {0x0800, 120}}, {7, false, {0x0800, -120}},
      {0, false, {0, 0}},      {8, false, {0, 0}},
  };
  for (const auto& [action, release, event] : expected) {
    EXPECT_EQ(MouseEventFor(action, release), event) << action << release;
    EXPECT_EQ(MouseEventFor(action, release).flags & 0x0001, 0u) << "the pointer never moves";
  }
}

TEST(RemapEngine, ARefusedButtonReleaseGoesOutAgain) {
  PendingReleases pending;
  InjectionBatch batch;
  batch.events[0] = KeyInjection{1, true, false, true};
  batch.events[1] = KeyInjection{6, false, false, true};
  batch.events[2] = KeyInjection{65, true};
  batch.size = 3;
  pending.Record(batch, 0);
  ASSERT_TRUE(pending.waiting());
  std::vector<KeyInjection> sent;
  pending.Retry([&](const InjectionBatch& b) {
    sent.assign(b.begin(), b.end());
    return b.size;
  });
  EXPECT_EQ(sent, (std::vector<KeyInjection>{{1, true, false, true}, {65, true}})) << "the wheel notch is not kept";
  EXPECT_FALSE(pending.waiting());
}

}  // namespace
}  // namespace orvelle
