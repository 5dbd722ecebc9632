#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/profile_data.h"

namespace orvelle {

// One step of what a remapped key plays: a key going down or up, `delayMs` after the step before
// it was played. A unicode step types `code`, a UTF-16 code unit, whatever the keyboard layout
// (the system's packet key); it is no key code.
struct ProgramStep {
  int code = 0;
  bool down = true;
  uint32_t delayMs = 0;
  bool unicode = false;
  // A mouse step: `code` is a MouseAction, a button going down or up or a notch of the wheel (a
  // wheel notch has no up step).
  bool mouse = false;
  // `delayMs` is the least time the keys pressed before this step stay down: it counts from when
  // the step before went into the system's input, where that came later than it was due (a slow
  // injection), rather than from when it was due.
  bool minimumHold = false;
  bool operator==(const ProgramStep&) const = default;
};

// What a remapped key plays: one pass of steps, played `loops` times. Built once when the profiles
// change and shared read-only: the remap hook hands it to the worker, which plays it on a thread
// of its own, so a program lives as long as anyone still holds it.
struct Program {
  std::vector<ProgramStep> steps;
  int loops = 1;
  // The key a held key presses again at each auto-repeat: the sequence's last key (a wheel notch
  // when `repeatMouse`). 0: an auto-repeat does nothing (a mouse button stays down).
  int repeatCode = 0;
  bool repeatMouse = false;
  // A pass that starts again (a looping program) starts this long after the pass before it
  // started, not after its last step; 0: its first step's wait follows the last step.
  uint32_t periodMs = 0;
};
using SharedProgram = std::shared_ptr<const Program>;

// How a key is remapped.
enum class ActionKind : uint8_t {
  Identity,   // the key sends itself: every event passes
  Tap,        // at the release: the sequence's presses, then its releases
  Hold,       // the sequence's presses while the key is down, its releases (reversed) when it comes up
  Macro,      // at the release: the macro, its loops; pressing the key while it plays stops it
  HoldMacro,  // the macro from the press, looping until the key comes up
  Text,       // at the release: types the key's text; pressing the key while it types stops it
  Disabled,   // nothing: press and release are swallowed, nothing is sent
  Launch,     // at the release: the main window is asked to start the key's program
  Turbo,      // from the press: the program tapped once per period until the key comes up
  Profile,    // at the press: the main window is asked to switch the profile, or remapping pauses
};

struct KeyAction {
  ActionKind kind = ActionKind::Identity;
  SharedProgram program;                              // empty for Identity, Disabled, Launch and Profile
  ProfileTarget profileTarget = ProfileTarget::None;  // what a Profile key switches to
};

// What every key code 0..255 does in one profile.
using KeyActions = std::array<KeyAction, 256>;

// A sequence played as a tap: every press in order, then every release in the same order, each
// key held down at least `tapMs` before the releases start (0: the next cycle).
SharedProgram TapProgram(const std::vector<int>& codes, uint32_t tapMs, int loops = 1);
// A sequence held: its presses in order; the releases come when the key does.
SharedProgram HoldProgram(const std::vector<int>& codes);
// A timed macro: its recorded steps played in their order, each after its wait (the time since the
// step before), the whole `macro.loops` times.
SharedProgram TimedProgram(const Macro& macro);
// A text typed: every UTF-16 code unit (a surrogate pair as its two units) pressed and released
// as a unicode step, a line break as the Enter key and a tab as the Tab key, each tapped.
SharedProgram TextProgram(std::wstring_view text);
// A sequence tapped once per `periodMs` while the key is held: its presses at once, its releases
// half a period later, the next pass a period after this one started.
SharedProgram TurboProgram(const std::vector<int>& codes, uint32_t periodMs);
// A mouse key held: a button down until the key comes up (its auto-repeats do nothing), or a
// wheel notch at once and at each auto-repeat.
SharedProgram MouseProgram(MouseAction action);
// A mouse key with turbo: the button clicked, or the wheel turned, once per `periodMs`.
SharedProgram MouseTurboProgram(MouseAction action, uint32_t periodMs);

}  // namespace orvelle
