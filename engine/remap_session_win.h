#pragma once

#include <windows.h>

#include <atomic>

#include "engine/injection_worker_win.h"
#include "engine/output_queue.h"
#include "engine/key_actions.h"
#include "engine/remap_hook_win.h"
#include "model/profile_set.h"
#include "platform/win32/hook_thread_win.h"

namespace orvelle {

// Remapping while the program runs: the keyboard's presence, the remap hook that decides on
// every key event, the thread it lives on, the output queue and the worker that plays it. They
// start together and stop in one order, whatever ends the program: the hook first (nothing new is
// queued), then the worker (what is queued plays for up to 200 ms, every key it holds is
// released), then the queue. The front hook lives on the same thread. Called on the user
// interface's thread; whatever the hook reads changes on its own thread, handed over and waited
// for, so the hook never waits for this thread.
class RemapSession : private FrontHookListener {
 public:
  RemapSession(HINSTANCE instance, FrontHook& front);
  ~RemapSession();
  RemapSession(const RemapSession&) = delete;
  RemapSession& operator=(const RemapSession&) = delete;

  // What the keys of each profile do from now on: built anew whenever the profiles change (what
  // plays already plays on).
  void UseProfiles(const ProfileSet& profiles, const KeyTable& table);
  // The profile the keys follow: the one the user chose, or the one a program in front brings.
  // Another profile lets go of everything the last one holds or plays: a key held down across the
  // switch, a macro still running.
  void SetActiveProfile(int profile);
  int activeProfile() const { return activeProfile_; }

  // The window that starts the programs of program keys (see RemapHook::SetRequestWindow).
  void SetRequestWindow(HWND window, UINT message) { hook_.SetRequestWindow(window, message); }
  // The message a profile key's press posts to that window (see RemapHook::SetProfileKeyMessage).
  void SetProfileKeyMessage(UINT message) {
    thread_.Call([&] { hook_.SetProfileKeyMessage(message); });
  }
  // The live view's message (see RemapHook::SetLiveKeyMessage), and whether it is on.
  void SetLiveKeyMessage(UINT message) {
    thread_.Call([&] { hook_.SetLiveKeyMessage(message); });
  }
  void SetLiveView(bool on) { hook_.SetLiveView(on); }

  // Remapping paused: every key but the profile keys passes as it is. Pausing releases what the
  // keys hold and stops their macros. A profile key's pause turns it over on the hook's thread;
  // this is the same for the user interface. Not saved: a new session remaps.
  void SetPaused(bool paused) {
    thread_.Call([&] { hook_.SetPaused(paused); });
  }
  void TogglePause() {
    thread_.Call([&] { hook_.SetPaused(!hook_.paused()); });
  }
  bool paused() const { return hook_.paused(); }

  // Whether a window of ours is in front (the main window, a dialog, a file dialog, a message
  // box): while it is, keys pass as they are and act on nothing, so texts, paths and names can be
  // typed there; as it comes in front, what the keys held started ends (as LetGoOfEverything), and
  // remapping is back as soon as another program is in front.
  void SetOwnWindowInFront(bool ours);
  bool ownWindowInFront() const { return ownWindowInFront_.load(std::memory_order_relaxed); }

  // Presence and hook move together: keyboard found, hook in; keyboard gone, hook out (and the
  // worker lets go of every key).
  void SetKeyboardPresent(bool present);
  bool keyboardPresent() const { return keyboardPresent_; }
  // The hook out and in again, while the keyboard is present, behind the front hook.
  void ReinstallHook();
  // The user left the desktop or came back (a lock, a secure desktop, sleep, a disconnected
  // session): every key the worker holds is released and every playback stops, and the keys the
  // hook swallowed before are forgotten, so that none of them plays again when it comes up.
  void LetGoOfEverything();
  // The first step of every shut-down: no key event waits for the hook any more.
  void RemoveHook();
  // Hook out, worker stopped and every key released: the session ends now (the user logs off).
  void Stop();

  // What raw input reports of a key event tells of the hook: still there, not sure yet, or lost.
  RemapHook::WatchState OnRawInput(HRAWINPUT input);
  RemapHook::WatchState CheckHook();

  bool hookInstalled();
  uint64_t workerWakeups() const { return worker_.wakeups(); }
  int hookInstalls();
  // Releases the window in front refused are tried again now (the foreground changed).
  void RetryPendingReleases() { worker_.RetryPendingReleases(); }
  // The test twin's commands: the remap hook unhooked behind the session's back, as the system
  // does; the next `count` injections refused, as by a program with more rights in front.
  void DropHookBehindItsBack();
  void FailNextInjections(int count) { worker_.FailNextInjections(count); }
  int injectionsToFail() const { return worker_.injectionsToFail(); }

 private:
  // The remap hook's view is meaningful only while it is installed and nothing of ours stands
  // in front of it (the front hook takes every key, so the remap hook sees none). On the hook
  // thread.
  bool Watching() const { return keyboardPresent_ && !front_.installed(); }
  void FrontHookCameIn() override { hook_.LetGoOfSwallowedKeys(); }

  FrontHook& front_;
  bool keyboardPresent_ = true;
  int activeProfile_ = 1;  // what the hook reads
  // What the hook reads; the hook also turns it off at the first press another program gets.
  std::atomic<bool> ownWindowInFront_{false};
  std::array<KeyActions, 3> actions_;
  OutputQueue queue_;
  InjectionWorker worker_;
  HookThread thread_;
  RemapHook hook_;
};

}  // namespace orvelle
