#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/elevation_guard.h"
#include "app/foreground_watch_win.h"
#include "app/profile_follower.h"
#include "app/tray_presenter_win.h"
#include "engine/remap_session_win.h"
#include "model/profile_set.h"

namespace orvelle {

// Whether the window is on the screen: visible and not minimised.
bool IsShownWindow(HWND window);

// The keys follow the home profile or the one the program in front brings; the tray shows which,
// on its icon and in its tip. Watches the program in front for the ProfileChoice, and is the one
// place that tells the remapping session which profile the keys follow. A program in front that
// runs elevated while we do not makes the session let go of everything (ElevationGuard). While a
// window of ours is in front the session remaps nothing (OwnWindowStepFor).
class ProfileFollower final : private ForegroundListener {
 public:
  ProfileFollower(const ProfileSet& profiles, TrayPresenter& tray) : profiles_(profiles), tray_(tray) {}
  ProfileFollower(const ProfileFollower&) = delete;
  ProfileFollower& operator=(const ProfileFollower&) = delete;

  // Watches the program in front from now on and tells `session` what to follow; a window of ours
  // active keeps the home profile.
  void Start(RemapSession& session);
  // No more watching: the first step of shutting down.
  void Stop() { watch_.reset(); }
  // The program bindings changed.
  void BindingsChanged();
  // The home profile, the bindings or the main window's showing may have changed.
  void Follow();
  // The home profile was chosen from a menu: it is the one the keys follow now, also over a bound
  // program in front, until another window comes to the front.
  void HomeChosenByHand() {
    choice_.ChoseByHand();
    Follow();
  }
  // The tray menu opens or closes. The menu makes our main window the foreground window, as it
  // must; that does not count as the user working in ORVELLE.
  void TrayMenuOpen(bool open) {
    trayMenuOpen_ = open;
    Follow();
  }

  const FollowedProfile& followed() const { return choice_.followed(); }
  // Window events the watch received from the system.
  unsigned foregroundEvents() const { return watch_ ? watch_->events() : 0; }
  // When followed() last changed, in Unix microseconds.
  unsigned long long followedAtUs() const { return followedAtUs_; }
  // Programs in front that ran elevated while we do not, told about so far.
  size_t elevatedTold() const { return elevation_.told(); }
  // The test twin's stand-in for an elevated program in front of us who are not, which Wine
  // cannot stage: every program there runs with an elevated token.
  void StageElevatedForeground(bool staged) { stagedElevated_ = staged; }

 private:
  void OnForegroundChanged(HWND window) override;
  // Remapping off while `front` is a window of ours, on again when another program's is.
  void FollowOwnWindow(HWND front);
  // Tells the choice which window is in front, as far as the profile cares.
  void TellChoice(HWND front, std::wstring program);

  const ProfileSet& profiles_;
  RemapSession* session_ = nullptr;
  TrayPresenter& tray_;
  std::unique_ptr<ForegroundWatch> watch_;
  ProfileChoice choice_;
  ElevationGuard elevation_;
  bool weElevated_ = false;
  bool stagedElevated_ = false;
  bool trayMenuOpen_ = false;
  HWND front_ = nullptr;  // the window in front, last told
  unsigned long long followedAtUs_ = 0;
};

}  // namespace orvelle
