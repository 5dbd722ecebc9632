#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "model/program_bindings.h"

namespace orvelle {

// The profile the keys follow, and the bound program that chose it (empty: the home profile, the
// one the user chose by hand).
struct FollowedProfile {
  int profile = 1;
  std::wstring program;
  bool operator==(const FollowedProfile&) const = default;
};

// While the main window is shown the user is editing and sees the profile they chose: the keys
// follow it. Otherwise a bound program in front brings its profile, and any other program the home
// profile. `foregroundPath` is the path (or file name) of the program in front, empty when it is
// not known.
FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool mainWindowShown);

// Whether the program is the frame host of packaged apps, whose windows belong to the app inside.
bool IsAppFrameHost(std::wstring_view path);

// Whose window is in front, as far as remapping cares: none (between two activations), one of
// ours (the main window, a dialog, a file dialog or a message box of this process) or another
// program's.
enum class FrontWindow { None, Ours, Another };

// What remapping does as the window in front changes: it is off while a window of ours is in
// front (keys pass as they are: texts, paths and file names are typed there), on again as soon as
// another program's window is. No window in front changes nothing: the next one decides.
enum class OwnWindowStep { Nothing, TurnOff, TurnOn };
OwnWindowStep OwnWindowStepFor(bool offNow, FrontWindow front);

// The one place that decides which profile the keys follow: the home profile (the one chosen by
// hand), or the one a bound program in front brings. Whatever changes the home profile, the
// bindings, the program in front or the main window's showing asks again here, so that the
// remapping session and the tray hear the same answer.
class ProfileChoice {
 public:
  // The program in front changed; its path, empty when it is not known.
  void SetForeground(std::wstring path) { foregroundPath_ = std::move(path); }
  // Decides again; true when the profile followed or the program that chose it changed.
  bool Decide(int home, const ProgramBindings& bindings, bool mainWindowShown);
  const FollowedProfile& followed() const { return followed_; }

 private:
  std::wstring foregroundPath_;
  FollowedProfile followed_{0, {}};  // none yet: the first decision is always a change
};

}  // namespace orvelle
