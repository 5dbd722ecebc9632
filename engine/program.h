#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace orvelle {

struct Macro;

// One step of what a remapped key plays: a key going down or up, `delayMs` after the step before
// it was played. A unicode step types `code`, a UTF-16 code unit, whatever the keyboard layout
// (the system's packet key); it is no key code.
struct ProgramStep {
  int code = 0;
  bool down = true;
  uint32_t delayMs = 0;
  bool unicode = false;
  bool operator==(const ProgramStep&) const = default;
};

// What a remapped key plays: one pass of steps, played `loops` times. Built once when the profiles
// change and shared read-only: the remap hook hands it to the worker, which plays it on a thread
// of its own, so a program lives as long as anyone still holds it.
struct Program {
  std::vector<ProgramStep> steps;
  int loops = 1;
  // The key a held key presses again at each auto-repeat: the sequence's last key.
  int repeatCode = 0;
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
};

struct KeyAction {
  ActionKind kind = ActionKind::Identity;
  SharedProgram program;  // empty for Identity, Disabled and Launch
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

}  // namespace orvelle
