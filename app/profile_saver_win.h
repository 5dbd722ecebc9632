#pragma once

#include <windows.h>

#include <string>

#include "model/profile_ops.h"
#include "model/profile_set.h"
#include "model/profile_store.h"
#include "model/save_retry.h"
#include "platform/win32/file_store_win.h"

namespace orvelle {

// Writes the profiles to set.ini about a second after the last applied change, on a timer of the
// main window. A save another program blocks is tried again on the same timer (SaveRetry); a
// failed save is told once until a save succeeds again, and a kept version of set.ini once.
class ProfileSaver {
 public:
  // The main window's timer that ends the delay.
  static constexpr UINT_PTR kSaveTimer = 1;
  // Profiles are saved this long after the last applied change.
  static constexpr UINT kSaveDelayMs = 1000;
  // At exit a held file is waited for this long: the exit command ends the process within two
  // seconds, and a scanner holds a fresh file for about a second.
  static constexpr ULONGLONG kExitPatienceMs = 1500;

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
  // Saves at once and tells the user what needs telling.
  void SaveNow();
  // The last save, at exit or at the end of the session: waits a little for a held file and tells
  // nothing, since no one may be there to answer a message box (and one during the end of the
  // session would hold up the shut-down).
  void SaveAtExit();

 private:
  const KeyTable& table_;
  const ProfileSet& profiles_;
  ProfileUi& ui_;
  HWND window_ = nullptr;
  Win32FileStore files_;
  ProfileStore store_;
  SaveRetry retry_;
  std::wstring keptTold_;  // the kept version of set.ini last told about
};

}  // namespace orvelle
