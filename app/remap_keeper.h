#pragma once

#include <cstdint>

namespace orvelle {

// The codes of the system's notices that RemapKeeper follows (WM_WTSSESSION_CHANGE and
// WM_POWERBROADCAST), as the system numbers them.
inline constexpr uint32_t kConsoleConnect = 0x1;
inline constexpr uint32_t kConsoleDisconnect = 0x2;
inline constexpr uint32_t kRemoteConnect = 0x3;
inline constexpr uint32_t kRemoteDisconnect = 0x4;
inline constexpr uint32_t kSessionLock = 0x7;
inline constexpr uint32_t kSessionUnlock = 0x8;
inline constexpr uint32_t kPowerSuspend = 0x4;
inline constexpr uint32_t kPowerResumeSuspend = 0x7;
inline constexpr uint32_t kPowerResumeAutomatic = 0x12;

// A notice that the user may have left the desktop or come back to it.
struct DesktopNotice {
  enum class Kind { SessionChange, Power, DesktopSwitch };
  Kind kind = Kind::SessionChange;
  uint32_t code = 0;             // a session change's or power event's code
  bool inputDesktopOurs = true;  // a desktop switch: whether input goes to our desktop now
};

// Where the user went, as remapping sees it:
// - Leave: the session locks, loses its console or remote connection, the machine sleeps, or
//   input goes to another desktop (the secure desktop of a lock, a consent prompt, Ctrl+Alt+Del).
//   The hook sees no key there, so what plays must stop and what the hook swallowed be forgotten.
// - Return: the other way round; the same again (keys may have been pressed or let go of
//   unseen), and the hook is put back and the keyboard looked for.
// - Stay: anything else (a log-on, a power status change, a remote-control change).
enum class DesktopMove { Stay, Leave, Return };

DesktopMove DesktopMoveFor(const DesktopNotice& notice);

}  // namespace orvelle
