#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/output_queue.h"

namespace orvelle {

// The extra-information value of every event we inject ("ORVL"), so that our own hooks can tell
// our output from other programs' injected input.
inline constexpr uintptr_t kInjectionTag = 0x4F52564C;

// One injected key event as the worker hands it to the system.
struct KeyInjection {
  int keyCode;   // bits 0..14 of the queued event
  bool release;  // bit 15
  bool operator==(const KeyInjection&) const = default;
};

// What a popped event injects; nothing for 0, which stands for an empty queue.
constexpr std::optional<KeyInjection> DecodeOutputEvent(OutputEvent event) {
  if (event == 0) return std::nullopt;
  return KeyInjection{event & kKeyCodeMask, (event & kReleaseBit) != 0};
}

// How a queued key code goes to the system: the virtual key and whether it carries the extended
// flag. Without the flag the navigation keys arrive as their keypad twins and right Ctrl and Alt
// as the left ones; the system's own scan code table leaves some of these keys out, so this table
// decides.
struct InjectedKey {
  int virtualKey;
  bool extended;
  bool operator==(const InjectedKey&) const = default;
};

constexpr InjectedKey InjectedKeyFor(int keyCode) noexcept {
  switch (keyCode) {
    case 108:  // VK_SEPARATOR types nothing; the keypad Enter key itself sends an extended Return
      return {13, true};
    case 3:                                // Break
    case 33: case 34: case 35: case 36:    // Page Up, Page Down, End, Home
    case 37: case 38: case 39: case 40:    // arrows
    case 44: case 45: case 46:             // Print Screen, Insert, Delete
    case 91: case 92: case 93:             // left and right Windows, Apps
    case 111:                              // keypad Divide
    case 144:                              // NumLock
    case 163: case 165:                    // right Ctrl, right Alt
      return {keyCode, true};
    default:
      return {keyCode, keyCode >= 166 && keyCode <= 183};  // browser, volume, media and launch keys
  }
}

// Plays key events and remembers which keys it has pressed and not yet released, so that whatever
// becomes of the queue every press it injected can be given its release.
struct KeyPlayer {
  std::bitset<256> held;

  template <typename Inject>
  void Play(const KeyInjection& key, Inject& inject) {
    inject(key);
    if (key.keyCode < 256) held.set(static_cast<size_t>(key.keyCode), !key.release);
  }

  // A release for every held key, in ascending code order, each a cycle of its own.
  template <typename Inject, typename Pause>
  void ReleaseHeld(Inject& inject, Pause& pause) {
    for (size_t code = 0; code < held.size(); ++code) {
      if (!held[code]) continue;
      Play(KeyInjection{static_cast<int>(code), true}, inject);
      pause();
    }
  }
};

// What the worker is asked to do, read at the start of every cycle.
enum class InjectionRequest {
  Run,    // play the queue
  Flush,  // the remap hook is gone (the keyboard left, or the system dropped the hook)
  Stop,   // the program is leaving (exit, logoff)
};

// How long a flush or stop keeps playing what is queued before dropping the rest, in ms: long
// enough for any ordinary macro to finish, short enough not to hold up an exit.
inline constexpr int64_t kDrainDeadline = 200;

// The injection worker's loop. Every cycle reads the request:
// - Run: pop one event, inject it, pause.
// - Flush: keep playing until the queue is empty or kDrainDeadline has passed, drop whatever is
//   left, release every key still held, then call `acknowledgeFlush()` and run on.
// - Stop: the same drain and release, then return.
// `now()` is a monotonic clock in milliseconds. The mutex is released before each injection, at
// most one event is injected per cycle and `pause()` ends every cycle, releases included, so
// events leave at least a pause apart. Queue calls may throw (see OutputQueue); the thread's
// entry point catches.
template <typename ReadRequest, typename Inject, typename Pause, typename Now, typename AcknowledgeFlush>
void RunInjectionLoop(OutputQueue& queue, ReadRequest readRequest, Inject inject, Pause pause, Now now,
                      AcknowledgeFlush acknowledgeFlush) {
  KeyPlayer player;
  for (;;) {
    const InjectionRequest request = readRequest();
    if (request == InjectionRequest::Run) {
      if (const auto key = DecodeOutputEvent(queue.PopOutputEvent())) player.Play(*key, inject);
      pause();
      continue;
    }
    const int64_t start = now();
    while (now() - start < kDrainDeadline) {
      const auto key = DecodeOutputEvent(queue.PopOutputEvent());
      if (!key) break;
      player.Play(*key, inject);
      pause();
    }
    queue.Clear();
    player.ReleaseHeld(inject, pause);
    if (request == InjectionRequest::Stop) return;
    acknowledgeFlush();
  }
}

}  // namespace orvelle
