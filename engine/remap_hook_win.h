#pragma once

#include <windows.h>

#include <atomic>
#include <bitset>

#include "engine/hook_watch.h"
#include "engine/injection_worker_win.h"
#include "engine/output_queue.h"
#include "engine/program.h"
#include "engine/remap.h"
#include "model/key_table.h"
#include "platform/win32/keyboard_hook_win.h"

namespace orvelle {

// The remap hook: a low-level keyboard hook on the hook thread (HookThread) that hands every key
// event of the desktop to the remap decision and queues what a remapped key asks of the worker.
// It reads the active profile number, what each profile's keys do, the presence flag and whether
// a window of ours is in front where their owner keeps them (written only on the hook thread; the
// last one is also read on the user interface's thread).
// Its KeyboardHook owns the hook and calls OnKeyEvent for every event. Every member is called on the hook thread.
class RemapHook {
 public:
  RemapHook(HINSTANCE instance, const int& activeProfile, const std::array<KeyActions, 3>& actions,
            const bool& keyboardPresent, std::atomic<bool>& ownWindowInFront, FrontHook& front, OutputQueue& queue,
            InjectionWorker& worker);
  ~RemapHook();
  RemapHook(const RemapHook&) = delete;
  RemapHook& operator=(const RemapHook&) = delete;

  // Installs the hook unless it is installed. A new hook saw no key go down, and follows
  // NumLock from the system's state now.
  void Install();
  // Removes the hook; the worker then finishes or drops what is queued and releases whatever it
  // holds, so no key stays down.
  void Remove();
  // Out and in again: back at the head of the hook chain, or back at all after the system
  // dropped it. The hook may have been gone for a while, and a key it swallowed may have been let
  // go of unseen (GetAsyncKeyState cannot tell: the system never saw it go down): what the
  // swallowed keys started ends as their releases would have ended it (InjectionWorker::Flush),
  // and the keys are forgotten (KeyTracker::Forget), so their releases start nothing.
  void Reinstall();
  // A hook of ours came in front of this one (FrontHookListener): it takes every key, the
  // releases of the keys this hook swallowed too, so what they started ends now and they are
  // forgotten, as at a reinstall.
  void LetGoOfSwallowedKeys();
  // The user left the desktop or came back: the hook saw nothing on the other side, so it
  // forgets the keys it swallowed (KeyTracker::Forget) and the worker drops everything at once
  // (InjectionWorker::Drop).
  void Forget();
  bool installed() const { return hook_.installed(); }
  int installs() const { return installs_; }
  // Where the release of a program key is posted, as `message` with the key code and the profile
  // number (KeyDecision::launchProfile): the hook only posts, the window starts the program.
  void SetRequestWindow(HWND window, UINT message) {
    requestWindow_ = window;
    requestMessage_ = message;
  }

  // Where the press of a profile key is posted, to the same window: `message` with the
  // ProfileTarget as a number and, for a pause key, whether remapping is paused now. The hook
  // turns the pause over itself (SetPaused); the window switches the profile.
  void SetProfileKeyMessage(UINT message) { profileMessage_ = message; }
  // The live view: while on, every change of a key of the keyboard between up and down (injected
  // events aside) is posted to the same window as `message`, wParam the key, lParam 1 down, 0 up.
  // The window lights the key; the hook only posts. Off while the window is hidden.
  void SetLiveKeyMessage(UINT message) { liveMessage_ = message; }
  void SetLiveView(bool on) { liveView_.store(on, std::memory_order_relaxed); }
  // Remapping off for every key but the profile keys, or on again. Pausing lets go of what the
  // keys started: the worker releases what it holds and stops every macro (InjectionWorker::Flush).
  void SetPaused(bool paused);
  // Read on any thread.
  bool paused() const { return paused_.load(std::memory_order_relaxed); }
  // A raw keyboard event (WM_INPUT), and whether the hook is still there: every event raw input
  // reports must reach the hook too, within kHookGraceMs. Only meaningful while no other hook of
  // ours stands in front of it.
  enum class WatchState { Alive, Waiting, Lost };
  WatchState OnRawEvent(uint32_t makeCode, bool release, uint32_t messageTime, uint32_t now);
  WatchState CheckWatch(uint32_t now);

  // The hook's handle while installed, as the system knows it (the test twin unhooks it behind
  // the object's back, as the system does).
  HHOOK handle() const { return hook_.handle(); }

  // Posts a key's change between up and down to the window while the live view is on.
  void TellLiveView(int key, uint32_t flags);
  // The hook procedure's call, for every key event while installed.
  LRESULT OnKeyEvent(int code, WPARAM wParam, KBDLLHOOKSTRUCT& event);

 private:

  HINSTANCE instance_;
  const int& activeProfile_;
  const std::array<KeyActions, 3>& actions_;
  const bool& keyboardPresent_;
  std::atomic<bool>& ownWindowInFront_;
  FrontHook& front_;
  OutputQueue& queue_;
  InjectionWorker& worker_;
  KeyTracker keys_;
  HookWatch watch_;
  // The scan code each key last came with, by virtual-key code: raw input names keys by scan code.
  std::array<uint32_t, 256> scanCodes_{};
  KeyboardHook<RemapHook> hook_{*this};
  int installs_ = 0;
  HWND requestWindow_ = nullptr;
  UINT requestMessage_ = 0;
  UINT profileMessage_ = 0;
  std::atomic<bool> paused_{false};
  UINT liveMessage_ = 0;
  std::atomic<bool> liveView_{false};
  std::bitset<256> liveDown_;  // the keys down as the live view last told them
};

}  // namespace orvelle
