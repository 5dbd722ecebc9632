#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/program.h"

namespace orvelle {

// What the remap hook asks the worker to do, for one physical key.
struct OutputCommand {
  enum class Kind : uint8_t {
    Play,       // play the program through, all its loops (the release of a tap or macro key)
    Hold,       // press the program's keys and keep them down (the press of a held key)
    HoldLoop,   // play the program over and over (the press of a held macro key)
    Repeat,     // press the held key's last key once more (an auto-repeat of a held key)
    Release,    // the held key came up: end its program and release what it pressed
    Interrupt,  // the key was pressed: a macro of it still playing stops, and its release starts nothing
  };
  Kind kind = Kind::Play;
  int key = 0;             // the physical key the command is for
  bool numLockOn = true;   // keypad codes follow NumLock as the hook saw it at this event
  SharedProgram program;   // Play, Hold, HoldLoop
  // Where the command stands among everything ever queued, counted from 0 (set by the queue): a
  // flush lets go of what commands before its mark started, and of nothing that came after.
  uint64_t sequence = 0;
};

// Whether the command ends something (a held key's release, a press that stops its macro): such a
// command is never dropped, or what it would end would go on for ever.
constexpr bool EndsPlayback(OutputCommand::Kind kind) noexcept {
  return kind == OutputCommand::Kind::Release || kind == OutputCommand::Kind::Interrupt;
}

// Room for far more commands than a person can type while the worker falls behind.
inline constexpr size_t kOutputQueueCapacity = 1024;

// The first-in, first-out queue between the remap hook and the injection worker, guarded by one
// mutex held for one push or one pop. Its slots are allocated by the constructor, so a push never
// allocates: it copies a shared pointer into a slot. A command that starts or feeds a playback
// may take only three quarters of the slots, so that the releases and interrupts that end
// playbacks find room even when a stalled worker let the queue fill up; and a key has at most one
// auto-repeat waiting (a second one while the first waits adds nothing the first does not say), so
// a held key's auto-repeats never fill the queue. What does not fit is dropped and Push says so.
// Members that lock may throw std::system_error if locking fails (in theory); the hook's caller
// catches it.
class OutputQueue {
 public:
  explicit OutputQueue(size_t capacity = kOutputQueueCapacity);
  OutputQueue(const OutputQueue&) = delete;
  OutputQueue& operator=(const OutputQueue&) = delete;

  // False, queueing nothing, when there is no room for the command; true also for an auto-repeat
  // folded into one already waiting.
  bool Push(const OutputCommand& command);
  // The front command, removed; false when the queue is empty.
  bool Pop(OutputCommand& command);
  // Drops every queued command; returns how many there were.
  size_t Clear();
  size_t size() const;
  size_t capacity() const noexcept { return capacity_; }
  // The sequence number the next command will get: every command queued so far lies before it.
  uint64_t Mark() const;

 private:
  mutable std::mutex mutex_;
  const size_t capacity_;
  const size_t startCapacity_;  // what commands that end nothing may fill
  const std::unique_ptr<OutputCommand[]> slots_;
  size_t head_ = 0;
  size_t count_ = 0;
  uint64_t pushed_ = 0;
  std::bitset<256> repeatWaiting_;  // by key: an auto-repeat is queued
};

}  // namespace orvelle
