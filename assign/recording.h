#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "model/profile_data.h"

namespace orvelle {

// What GetKeyNameTextW takes for a low-level key event: the scan code in bits 16..23 and the
// flags' low byte in bits 24..31 (the extended flag becomes bit 24, the release flag bit 31).
// The right Shift key reported as extended is named without that bit.
int32_t KeyNameParameter(uint32_t scanCode, uint32_t flags);

// The key code recorded or captured for a low-level event: the keypad's keys are kept as keypad
// codes whatever the NumLock state (the keypad Enter as 108), everything else as it comes.
int RecordedKeyCode(int vkCode, uint32_t flags);

// Where the recording hook sends a key event, by the dialog's current kind.
enum class CaptureTarget { KeyField, Recorder, Nowhere };
CaptureTarget CaptureTargetFor(AssignKind dialogKind);

// Which key events the recording hook hands on to the system rather than keeping them for the
// dialog alone. Applications must see a release for every press they saw: a key already down when
// the hook came in went through to them, so its auto-repeats and its release go through too. Our
// own output always goes through, and its release of a key ends that key's passage: the system
// sees the key up from then on, and a new press of it belongs to the dialog.
class PassedKeys {
 public:
  // The hook has just come in, or in again; `systemDown` are the keys the system holds down.
  void Reset(const std::bitset<256>& systemDown) noexcept { down_ = systemDown; }
  // Whether the event goes on to the system; a release passed ends the key's passage.
  bool Passes(int vkCode, bool press, bool ownOutput) noexcept;

 private:
  std::bitset<256> down_;  // down to the system: presses that went through and are not yet released
};

// One key event as the recording hook saw it.
struct RecordedKey {
  bool press = false;
  int vkCode = 0;
  uint32_t scanCode = 0;
  uint32_t flags = 0;
  uint32_t time = 0;  // the event's time stamp in milliseconds; it wraps round after 49.7 days
};

// The wait a recorded step keeps: the milliseconds from the step before it at `then` to this one at
// `now`, at most kMaxStepDelayMs. The difference is taken unsigned, so a time stamp that wrapped
// round between the two still gives the time between them.
int StepDelayMs(uint32_t then, uint32_t now);

// The events the recording hook leaves for the dialog. The hook only copies an event here and
// posts the dialog a message that carries nothing; the dialog takes the events in order when
// the message comes. So no work of the dialog's runs inside the hook, and the message has no
// pointer a stray sender could make us follow: whoever posts it finds at most our own events.
// The hook runs on a thread of its own and the dialog on the window's: one thread pushes, one
// pops, and neither ever waits for the other (each moves only its own end of the ring).
class RecordedKeyQueue {
 public:
  static constexpr size_t kCapacity = 256;

  // The hook's end. False when full (the dialog has fallen far behind); the event is then lost.
  bool Push(const RecordedKey& key) noexcept {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
    keys_[tail % kCapacity] = key;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }
  // The dialog's end.
  bool Pop(RecordedKey& key) noexcept {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    key = keys_[head % kCapacity];
    head_.store(head + 1, std::memory_order_release);
    return true;
  }
  // The dialog's end: drops what is waiting.
  void Clear() noexcept { head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release); }
  size_t size() const noexcept { return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire); }

 private:
  std::array<RecordedKey, kCapacity> keys_{};
  std::atomic<size_t> head_{0};  // counts every event taken; the slot is the count modulo kCapacity
  std::atomic<size_t> tail_{0};  // counts every event left
};

}  // namespace orvelle
