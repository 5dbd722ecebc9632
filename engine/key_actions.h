#pragma once

#include "engine/program.h"
#include "model/key_table.h"
#include "model/profile_data.h"

namespace orvelle {

// What every key does in one profile, built from the profile whenever it changes: the remap hook
// reads these, never the profile itself. `tapMs` is how long each key of a played sequence stays
// down before the releases start (0: the next cycle).
KeyActions CompileActions(const ProfileData& profile, const KeyTable& table, int tapMs);

}  // namespace orvelle
