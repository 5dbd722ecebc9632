#include "app/remap_keeper.h"

namespace orvelle {

DesktopMove DesktopMoveFor(const DesktopNotice& notice) {
  switch (notice.kind) {
    case DesktopNotice::Kind::SessionChange:
      switch (notice.code) {
        case kSessionLock:
        case kConsoleDisconnect:
        case kRemoteDisconnect:
          return DesktopMove::Leave;
        case kSessionUnlock:
        case kConsoleConnect:
        case kRemoteConnect:
          return DesktopMove::Return;
        default:
          return DesktopMove::Stay;
      }
    case DesktopNotice::Kind::Power:
      switch (notice.code) {
        case kPowerSuspend:
          return DesktopMove::Leave;
        // A wake-up brings the automatic notice, and the second one when a person woke the
        // machine: both come back, the second finds nothing left to do.
        case kPowerResumeAutomatic:
        case kPowerResumeSuspend:
          return DesktopMove::Return;
        default:
          return DesktopMove::Stay;
      }
    case DesktopNotice::Kind::DesktopSwitch:
      return notice.inputDesktopOurs ? DesktopMove::Return : DesktopMove::Leave;
  }
  return DesktopMove::Stay;
}

}  // namespace orvelle
