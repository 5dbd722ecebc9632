#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "model/profile_data.h"

namespace orvelle {

// What a start of the program may ask of the running instance, or of itself once it runs:
// "/profile 1|2|3|next" and "/pause on|off|toggle". The numbers travel in the message a second
// start posts to the running instance: they never change.
enum class RemoteCommand : int {
  Profile1 = 1,
  Profile2 = 2,
  Profile3 = 3,
  NextProfile = 4,
  PauseOn = 5,
  PauseOff = 6,
  PauseToggle = 7,
};
std::optional<RemoteCommand> RemoteCommandOfNumber(long long number);

struct CommandLine {
  bool valid = true;
  bool elevatedRestart = false;            // "/elevated-restart", which the program gives itself
  std::vector<RemoteCommand> commands;     // in the order given
};

// The arguments after the program's name. Switches start with "/" or "-", in any case; their
// values follow as the next word. Anything else, a switch without its value or a value it does
// not take makes the whole line invalid: nothing of it is done.
CommandLine ParseCommandLine(std::wstring_view arguments);

// What a command does, as a profile key would: the profile it chooses (None for the pause
// commands), or whether remapping is to be paused given whether it is now (nothing for the
// profile commands).
ProfileTarget ProfileTargetOf(RemoteCommand command);
std::optional<bool> PauseWanted(RemoteCommand command, bool pausedNow);

// What the program tells when the command line is invalid.
std::wstring_view CommandLineUsage();

}  // namespace orvelle
