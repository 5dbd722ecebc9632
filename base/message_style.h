#pragma once

#include <string_view>

namespace orvelle {

// What a message box of the program is for; its title, buttons and icon follow from it alone.
enum class MessageKind {
  Question,     // OK / Cancel: something is about to change or be lost
  YesNo,        // Yes / No: a question whose answer is not to go on or stop (clear a macro now?)
  Warning,      // OK: something was not done, or not as asked, and nothing is broken
  Error,        // OK: something failed
  Information,  // OK: something asked for was done
};

// The message box styles, as the system's MessageBox documents their values.
inline constexpr unsigned kMessageOk = 0x0;
inline constexpr unsigned kMessageOkCancel = 0x1;
inline constexpr unsigned kMessageYesNo = 0x4;
inline constexpr unsigned kMessageIconError = 0x10;
inline constexpr unsigned kMessageIconQuestion = 0x20;
inline constexpr unsigned kMessageIconWarning = 0x30;
inline constexpr unsigned kMessageIconInformation = 0x40;

struct MessageStyle {
  std::wstring_view title;
  unsigned flags;  // buttons | icon
  bool operator==(const MessageStyle&) const = default;
};

// Every box carries the program's name as its title, so that the user sees whose box it is.
MessageStyle StyleOf(MessageKind kind);

}  // namespace orvelle
