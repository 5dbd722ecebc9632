#pragma once

#include <string>

namespace orvelle {

// The folder of the running executable, with its trailing backslash: where the program's files
// live. Paths of any length work; empty when the system cannot tell (the caller cannot run
// without its files then).
std::wstring ExecutableFolder();
// The running executable's full path; empty when the system cannot tell.
std::wstring ExecutablePath();

}  // namespace orvelle
