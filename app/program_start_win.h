#pragma once

#include "model/program_start.h"

namespace orvelle {

// Starts a Program key's target through the shell, as a double click would open it. The system
// shows no error of its own; false when the target could not be started.
bool StartProgram(const ProgramStart& start);

}  // namespace orvelle
