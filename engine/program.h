#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvelle {

// One step of what a remapped key plays: a key going down or up, `delayMs` after the step before
// it was played.
struct ProgramStep {
  int code = 0;
  bool down = true;
  uint32_t delayMs = 0;
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
};

struct KeyAction {
  ActionKind kind = ActionKind::Identity;
  SharedProgram program;  // empty for Identity
};

// What every key code 0..255 does in one profile.
using KeyActions = std::array<KeyAction, 256>;

// A sequence played as a tap: every press in order, then every release in the same order, each
// key held down at least `tapMs` before the releases start (0: the next cycle).
SharedProgram TapProgram(const std::vector<int>& codes, uint32_t tapMs, int loops = 1);
// A sequence held: its presses in order; the releases come when the key does.
SharedProgram HoldProgram(const std::vector<int>& codes);
// Recorded steps, flat (key-name parameter, key code, direction) triples, played in their order,
// each after its delay (`delays` one per step, the time since the step before).
SharedProgram TimedProgram(const std::vector<int>& steps, const std::vector<int>& delays, int loops);

}  // namespace orvelle
