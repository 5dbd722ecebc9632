#pragma once

namespace orvelle {

// The name of the instance mutex, and of the window property a second start looks for to bring
// the running instance's window forward.
inline constexpr wchar_t kInstanceName[] = L"game keyboard";

}  // namespace orvelle
