#pragma once

#include <optional>

#include "engine/output_queue.h"

namespace orvelle {

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

// The injection worker's loop: while `keepRunning()` says so, pop one event, inject it, pause.
// The mutex is released before the injection, and at most one event is injected per cycle.
template <typename KeepRunning, typename Inject, typename Pause>
void RunInjectionLoop(OutputQueue& queue, KeepRunning keepRunning, Inject inject, Pause pause) {
  while (keepRunning()) {
    if (const auto injection = DecodeOutputEvent(queue.PopOutputEvent())) inject(*injection);
    pause();
  }
}

}  // namespace orvelle
