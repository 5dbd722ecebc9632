#pragma once

#include <windows.h>

#include <string>

#include "model/profile_ops.h"
#include "model/profile_set.h"
#include "model/profile_store.h"
#include "platform/win32/file_store_win.h"

namespace orvelle {

// Writes the profiles to set.ini about a second after the last applied change, on a timer of the
// main window, and tells a failed save once until a save succeeds again.
class ProfileSaver {
 public:
  // The main window's timer that ends the delay.
  static constexpr UINT_PTR kSaveTimer = 1;
  // Profiles are saved this long after the last applied change.
  static constexpr UINT kSaveDelayMs = 1000;

  ProfileSaver(const std::wstring& folder, const KeyTable& table, const ProfileSet& profiles, ProfileUi& ui);
  ProfileSaver(const ProfileSaver&) = delete;
  ProfileSaver& operator=(const ProfileSaver&) = delete;

  FileStore& files() { return files_; }
  LoadReport Load(KeyTable& table, ProfileSet& profiles) { return store_.Load(table, profiles); }
  void Attach(HWND window) { window_ = window; }
  // Every applied change starts the delay again.
  void Schedule();
  void Cancel() { KillTimer(window_, kSaveTimer); }
  void OnTimer();
  void SaveNow();

 private:
  const KeyTable& table_;
  const ProfileSet& profiles_;
  ProfileUi& ui_;
  HWND window_ = nullptr;
  Win32FileStore files_;
  ProfileStore store_;
  bool failureTold_ = false;  // a failed save is told once, until a save succeeds again
};

}  // namespace orvelle
