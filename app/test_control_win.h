#pragma once

#include <windows.h>

#include "app/profile_follower_win.h"
#include "app/profile_notice_win.h"
#include "app/tray_presenter_win.h"
#include "engine/remap_session_win.h"

namespace orvelle {

// What the test twin's commands read and steer.
struct TestControlTargets {
  HWND window;
  RemapSession& session;
  ProfileFollower& follower;
  const TrayPresenter& tray;
  const ProfileNotice& notice;
};

// A WM_COPYDATA message to the main window. The test twin links the version that answers its
// test driver's commands; the program links the one that leaves the message unhandled.
LRESULT AnswerTestCommand(const TestControlTargets& targets, const COPYDATASTRUCT* data, bool& handled);

}  // namespace orvelle
