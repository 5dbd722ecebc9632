// Which notice of the session, the power state or the input desktop means that the user left the
// desktop, came back, or neither.
#include <gtest/gtest.h>

#include "app/remap_keeper.h"

namespace orvelle {
namespace {

using Kind = DesktopNotice::Kind;

TEST(RemapKeeper, NoticesThatLeaveOrComeBack) {
  struct Case {
    const char* what;
    DesktopNotice notice;
    DesktopMove move;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"session locked", {Kind::SessionChange, kSessionLock}, DesktopMove::Leave},
           {"console disconnected", {Kind::SessionChange, kConsoleDisconnect}, DesktopMove::Leave},
           {"remote disconnected", {Kind::SessionChange, kRemoteDisconnect}, DesktopMove::Leave},
           {"session unlocked", {Kind::SessionChange, kSessionUnlock}, DesktopMove::Return},
           {"console connected", {Kind::SessionChange, kConsoleConnect}, DesktopMove::Return},
           {"remote connected", {Kind::SessionChange, kRemoteConnect}, DesktopMove::Return},
           {"log-on", {Kind::SessionChange, 0x5}, DesktopMove::Stay},
           {"log-off (the end of the session stops remapping elsewhere)", {Kind::SessionChange, 0x6},
            DesktopMove::Stay},
           {"remote control changed", {Kind::SessionChange, 0x9}, DesktopMove::Stay},
           {"suspending", {Kind::Power, kPowerSuspend}, DesktopMove::Leave},
           {"resumed, automatic", {Kind::Power, kPowerResumeAutomatic}, DesktopMove::Return},
           {"resumed by a person", {Kind::Power, kPowerResumeSuspend}, DesktopMove::Return},
           {"power status changed", {Kind::Power, 0xA}, DesktopMove::Stay},
           {"power setting changed", {Kind::Power, 0x8013}, DesktopMove::Stay},
           // The same numbers mean other things in the other kind of notice.
           {"a power code 8 is not an unlock", {Kind::Power, kSessionUnlock}, DesktopMove::Stay},
           {"a power code 2 is not a disconnect", {Kind::Power, kConsoleDisconnect}, DesktopMove::Stay},
           {"input went to another desktop", {Kind::DesktopSwitch, 0, false}, DesktopMove::Leave},
           {"input came back to ours", {Kind::DesktopSwitch, 0, true}, DesktopMove::Return},
       }) {
    EXPECT_EQ(DesktopMoveFor(c.notice), c.move) << c.what;
  }
}

}  // namespace
}  // namespace orvelle
