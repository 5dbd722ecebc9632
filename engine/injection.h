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

// A request as the worker reads it: a flush or drop carries its mark, the sequence number the
// next queued command was to get when it was asked for (OutputQueue::Mark). It lets go of what
// commands before the mark started; a key pressed after it plays on, its release still its own.
// A request without a mark covers everything.
struct WorkerRequest {
  static constexpr uint64_t kEverything = UINT64_MAX;
  InjectionRequest kind = InjectionRequest::Run;
  uint64_t before = kEverything;
  // Releases that did not go out are to be tried again now (PendingReleases), whatever the kind.
  bool retryReleases = false;
  WorkerRequest() = default;
  WorkerRequest(InjectionRequest k, uint64_t b = kEverything) : kind(k), before(b) {}  // NOLINT: a bare kind is a request
};

// How long a flush or stop keeps playing before dropping the rest, in microseconds: long enough
// for any ordinary sequence to finish, short enough not to hold up an exit.
inline constexpr int64_t kDrainDeadlineUs = 200'000;

// The injection worker's loop. Every cycle takes the hook's commands, tries the releases in
// `pending` again when a command came or the request asks for it (retryReleases), then:
// - Run: injects the event due now, if any (or the events that go together: `inject` gets an
//   InjectionBatch, sends it in one call and returns how many of its events went out; the
//   pending releases go first, and the releases that did not go out join them; the player hears
//   when the batch went out, for a minimum hold after it), or waits (until
//   the next event falls due, or for a command when nothing plays: an idle worker sleeps);
// - Flush: what commands before its mark started plays on until none of it has anything left to
//   play or kDrainDeadlineUs has passed, then is dropped and every key it still holds released;
//   then `acknowledgeFlush()` is called and the loop runs on. What came after the mark plays on
//   all the while;
// - Drop: the same at once, with no time to play on (also when it comes during a flush);
// - Stop: the same, then tries the pending releases a last time and returns.
// `readRequest()` gives an InjectionRequest or a WorkerRequest; `now()` is a monotonic clock in
// microseconds; `wait(until)` returns at `until` (nothing: only when a command or request comes)
// or sooner when a command or request comes. Queue calls may throw (see OutputQueue); the
// thread's entry point catches.
template <typename ReadRequest, typename Inject, typename Wait, typename Now, typename AcknowledgeFlush>
void RunInjectionLoop(OutputQueue& queue, ReadRequest readRequest, Inject inject, Wait wait, Now now,
                      AcknowledgeFlush acknowledgeFlush, PendingReleases& pending) {
  Player player;
  bool draining = false;  // a flush or stop of drainingBefore is under way since drainStart
  uint64_t drainingBefore = 0;
  int64_t drainStart = 0;
  uint64_t abandonedBefore = 0;  // what commands before this started has been let go of
  OutputCommand command;
  for (;;) {
    const WorkerRequest request = readRequest();
    int64_t time = now();
    bool commandCame = false;
    while (queue.Pop(command)) {
      commandCame = true;
      // Only a request that covers everything sees commands older than what it let go of: they
      // came while the held keys were being let go, and start nothing.
      if (command.sequence < abandonedBefore) continue;
      player.Take(std::move(command), time);
    }
    // Not at every cycle: while the system refuses, a retry per timed wake would only add calls.
    if (commandCame || request.retryReleases) pending.Retry(inject);
    if (request.kind != InjectionRequest::Run) {
      if (!draining || request.before != drainingBefore) {
        draining = true;
        drainingBefore = request.before;
        drainStart = time;
      }
      if (abandonedBefore < request.before &&
          (request.kind == InjectionRequest::Drop || !player.Playing(time, request.before) ||
           time - drainStart >= kDrainDeadlineUs)) {
        player.Abandon(time, request.before);
        abandonedBefore = request.before;
      }
      if (abandonedBefore >= request.before && !player.Playing(time, request.before)) {
        if (request.kind == InjectionRequest::Stop) {
          pending.Retry(inject);  // the last chance: nothing is tried after the exit
          return;
        }
        draining = false;
        abandonedBefore = 0;
        acknowledgeFlush();
        continue;
      }
    }
    if (const auto batch = player.Next(time)) {
      pending.Retry(inject);
      pending.Record(*batch, inject(*batch));
      player.WentOut(now());
      continue;
    }
    std::optional<int64_t> until = player.NextWake(time);
    if (draining && abandonedBefore < drainingBefore) {
      const int64_t deadline = drainStart + kDrainDeadlineUs;
      until = until ? std::min(*until, deadline) : deadline;
    }
    wait(until);
  }
}

// The loop with releases that did not go out kept to itself.
template <typename ReadRequest, typename Inject, typename Wait, typename Now, typename AcknowledgeFlush>
void RunInjectionLoop(OutputQueue& queue, ReadRequest readRequest, Inject inject, Wait wait, Now now,
                      AcknowledgeFlush acknowledgeFlush) {
  PendingReleases pending;
  RunInjectionLoop(queue, readRequest, inject, wait, now, acknowledgeFlush, pending);
}

}  // namespace orvelle
