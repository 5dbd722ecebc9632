#include "assign/step_moves.h"

#include <algorithm>
#include <vector>

namespace orvelle {
namespace {

// Moves the element at `from` to `to`, the ones between shifting one place towards `from`.
template <typename T>
void MoveElement(std::vector<T>& items, size_t from, size_t to) {
  if (from < to) {
    std::rotate(items.begin() + static_cast<std::ptrdiff_t>(from),
                items.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                items.begin() + static_cast<std::ptrdiff_t>(to) + 1);
  } else if (to < from) {
    std::rotate(items.begin() + static_cast<std::ptrdiff_t>(to), items.begin() + static_cast<std::ptrdiff_t>(from),
                items.begin() + static_cast<std::ptrdiff_t>(from) + 1);
  }
}

// The lowest count of presses less releases of `keyCode` over every beginning of `steps`.
int LowestBalance(const MacroSteps& steps, int keyCode) {
  int balance = 0;
  int lowest = 0;
  for (const MacroStep& step : steps) {
    if (step.keyCode != keyCode) continue;
    balance += step.down() ? 1 : -1;
    lowest = std::min(lowest, balance);
  }
  return lowest;
}

}  // namespace

std::optional<size_t> StepMoveTarget(StepMove move, int row, size_t count) {
  if (row < 0 || static_cast<size_t>(row) >= count) return std::nullopt;
  const size_t from = static_cast<size_t>(row);
  size_t to = from;
  switch (move) {
    case StepMove::ToTop:
      to = 0;
      break;
    case StepMove::Up:
      to = from > 0 ? from - 1 : 0;
      break;
    case StepMove::Down:
      to = std::min(from + 1, count - 1);
      break;
    case StepMove::ToBottom:
      to = count - 1;
      break;
  }
  if (to == from) return std::nullopt;
  return to;
}

bool MoveKeepsReleasesAfterPresses(const MacroSteps& steps, size_t from, size_t to) {
  if (from >= steps.size() || to >= steps.size()) return false;
  // Only the moved step's key changes its order; every other key keeps its own.
  MacroSteps moved = steps;
  MoveElement(moved, from, to);
  const int keyCode = steps[from].keyCode;
  return LowestBalance(moved, keyCode) >= LowestBalance(steps, keyCode);
}

void MoveStep(MacroSteps& steps, MacroDelays& delays, size_t from, size_t to) {
  if (from >= steps.size() || to >= steps.size()) return;
  MoveElement(steps, from, to);
  if (delays.size() == steps.size()) MoveElement(delays, from, to);
}

}  // namespace orvelle
