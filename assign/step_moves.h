#pragma once

#include <cstddef>
#include <optional>

#include "model/profile_data.h"

namespace orvelle {

// The four step buttons of the macro editor: each moves the selected step.
enum class StepMove { ToTop, Up, Down, ToBottom };

// Where `move` takes the step at `row` of `count` steps; nothing when it is already there or the
// row is no step.
std::optional<size_t> StepMoveTarget(StepMove move, int row, size_t count);

// Whether moving the step at `from` to `to` keeps every release of its key behind a press it
// answers: the move is refused when some point of the macro would then have released the key
// more often than pressed it where it had not before. A macro recorded while a key was already
// down starts with a lone release; such a step may still move where it does no further harm.
bool MoveKeepsReleasesAfterPresses(const MacroSteps& steps, size_t from, size_t to);

// Moves the step at `from` to `to`, its wait before it with it (`delays` is empty for an untimed
// macro, else parallel to `steps`).
void MoveStep(MacroSteps& steps, MacroDelays& delays, size_t from, size_t to);

}  // namespace orvelle
