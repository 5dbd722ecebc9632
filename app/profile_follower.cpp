#include "app/profile_follower.h"

#include "base/text.h"

namespace orvelle {

FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool mainWindowShown) {
  if (!mainWindowShown) {
    if (const int bound = BoundProfile(bindings, foregroundPath); bound != 0) {
      return {bound, std::wstring(FileNameOf(foregroundPath))};
    }
  }
  return {home, {}};
}

}  // namespace orvelle
