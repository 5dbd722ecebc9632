#pragma once

#include <string>

#include "app/profile_follower.h"
#include "base/geometry.h"

namespace orvelle {

// Told by the tray whenever what it shows of the keys changes: the profile they follow (a bound
// program's in front or the home one) or the pause. The tray hears every change, whatever made it,
// so the notice listens there instead of deciding again.
class KeysStateListener {
 public:
  virtual void KeysStateChanged(const FollowedProfile& followed, bool paused) = 0;

 protected:
  ~KeysStateListener() = default;
};

// How long the notice stays, from the last change it shows.
inline constexpr unsigned kNoticeShowMs = 1000;

// A change is shown only when the user asked for it and cannot see the main window, which says
// the same thing itself.
constexpr bool NoticeWanted(bool optionOn, bool mainWindowShown) { return optionOn && !mainWindowShown; }

// Whether going from one state of the keys to the next is worth a notice: the pause came or went,
// or the number of the profile the keys follow changed while they are remapped. The first state
// (profile 0 before it, as the tray starts) is the start, not a change; another program bringing
// the profile already active changes nothing the keys do, nor does any change under the pause.
bool NoticeWorthy(const FollowedProfile& before, bool pausedBefore, const FollowedProfile& now, bool pausedNow);

// What the notice says: the profile and the program that brought it, or the pause, which
// overrides any profile because no key is remapped meanwhile.
std::wstring NoticeText(const FollowedProfile& followed, bool paused);

// The notice's rectangle in a work area: centred across it, near its bottom edge with a gap
// that grows with the area; a work area too small for it keeps the notice's top-left on it.
Rect NoticePlace(const Rect& workArea, int width, int height);

}  // namespace orvelle
