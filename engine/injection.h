#pragma once

#include <cstdint>
#include <optional>

#include "engine/output_queue.h"
#include "engine/player.h"

namespace orvelle {

// What the worker is asked to do, read at the start of every cycle.
enum class InjectionRequest {
  Run,    // play what the hook asks for
  Flush,  // the remap hook is gone (the keyboard left, or the system dropped the hook)
  Drop,   // the user left the desktop or came back: nothing queued or playing is finished
  Stop,   // the program is leaving (exit, logoff)
};

// How long a flush or stop keeps playing before dropping the rest, in microseconds: long enough
// for any ordinary sequence to finish, short enough not to hold up an exit.
inline constexpr int64_t kDrainDeadlineUs = 200'000;

// The injection worker's loop. Every cycle takes the hook's commands, then:
// - Run: injects the event due now, if any (or the events that go together: `inject` gets an
//   InjectionBatch and sends it in one call), or waits (until the next event falls due, or for a
//   command when nothing plays: an idle worker sleeps);
// - Flush: plays on until nothing is left to play or kDrainDeadlineUs has passed, then drops
//   the rest, releases every key still held, calls `acknowledgeFlush()` and runs on;
// - Drop: the same at once, with no time to play on (also when it comes during a flush);
// - Stop: the same, then returns.
// `now()` is a monotonic clock in microseconds; `wait(until)` returns at `until` (nothing: only
// when a command or request comes) or sooner when a command or request comes. Queue calls may
// throw (see OutputQueue); the thread's entry point catches.
template <typename ReadRequest, typename Inject, typename Wait, typename Now, typename AcknowledgeFlush>
void RunInjectionLoop(OutputQueue& queue, ReadRequest readRequest, Inject inject, Wait wait, Now now,
                      AcknowledgeFlush acknowledgeFlush) {
  Player player;
  bool draining = false;  // a flush or stop is under way since drainStart
  int64_t drainStart = 0;
  bool abandoned = false;
  OutputCommand command;
  for (;;) {
    const InjectionRequest request = readRequest();
    int64_t time = now();
    if (abandoned) {
      queue.Clear();  // nothing new starts while the held keys are let go
    } else {
      while (queue.Pop(command)) player.Take(std::move(command), time);
    }
    if (request != InjectionRequest::Run) {
      if (!draining) {
        draining = true;
        drainStart = time;
      }
      if (!abandoned &&
          (request == InjectionRequest::Drop || !player.NextWake(time) || time - drainStart >= kDrainDeadlineUs)) {
        queue.Clear();
        player.Abandon(time);
        abandoned = true;
      }
      if (abandoned && !player.NextWake(time)) {
        if (request == InjectionRequest::Stop) return;
        draining = false;
        abandoned = false;
        acknowledgeFlush();
        continue;
      }
    }
    if (const auto batch = player.Next(time)) {
      inject(*batch);
      continue;
    }
    std::optional<int64_t> until = player.NextWake(time);
    if (draining && !abandoned) {
      const int64_t deadline = drainStart + kDrainDeadlineUs;
      until = until ? std::min(*until, deadline) : deadline;
    }
    wait(until);
  }
}

}  // namespace orvelle
