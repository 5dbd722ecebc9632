#pragma once

namespace orvelle {

// The name of the instance mutex, and of the window property a second start looks for to bring
// the running instance's window forward.
inline constexpr wchar_t kInstanceName[] = L"game keyboard";
// The message a second start posts to the running instance's window to have it shown. A message
// of its own, let through to an instance running elevated: the system keeps every other message of
// a program that is not elevated away from one that is.
inline constexpr wchar_t kShowWindowMessageName[] = L"ORVELLE.ShowMainWindow";
// The message a start with a command on its command line ("/profile 2") posts to the running
// instance's window instead: wParam is the RemoteCommand's number. Let through the same way.
inline constexpr wchar_t kRemoteCommandMessageName[] = L"ORVELLE.Command";

}  // namespace orvelle
