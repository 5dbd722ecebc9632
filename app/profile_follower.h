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

// While a window of ours is the active one the user works in ORVELLE and sees the profile they
// chose: the keys follow it. Otherwise a bound program in front brings its profile, and any other
// program the home profile; our main window may stay open behind it. `foregroundPath` is the path
// (or file name) of the program in front, empty when it is not known.
FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool oursActive);

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

// Which window counts as in front for the profile: a window of ours counts only while the user
// can work in it. The hidden main window that the tray menu makes the foreground window (the menu
// needs that), and any window of ours while that menu is open, count as no window: the profile
// stays as it was, and the menu shows what the tip said.
FrontWindow FrontForProfile(FrontWindow front, bool oursVisible, bool trayMenuOpen);

// The one place that decides which profile the keys follow: the home profile (the one chosen by
// hand), or the one a bound program in front brings. Whatever changes the home profile, the
// bindings or the window in front asks again here, so that the remapping session and the tray
// hear the same answer.
class ProfileChoice {
 public:
  // The window in front changed: ours, or another program's with its path (empty when it is not
  // known). No window in front changes nothing: the next one decides.
  void SetForeground(FrontWindow front, std::wstring path);
  // The home profile was chosen by hand from a menu (the tray's, over a game): it holds over the
  // bound program in front until the next window comes to the front.
  void ChoseByHand() { chosenByHand_ = true; }
  // Decides again; true when the profile followed or the program that chose it changed.
  bool Decide(int home, const ProgramBindings& bindings);
  const FollowedProfile& followed() const { return followed_; }

 private:
  bool oursActive_ = false;
  bool chosenByHand_ = false;
  std::wstring foregroundPath_;
  FollowedProfile followed_{0, {}};  // none yet: the first decision is always a change
};

}  // namespace orvelle
