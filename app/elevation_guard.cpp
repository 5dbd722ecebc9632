#include "app/elevation_guard.h"

#include <algorithm>

#include "base/text.h"
#include "base/texts.h"
#include "model/program_bindings.h"

namespace orvelle {

ElevationStep ElevationGuard::OnForeground(std::wstring_view program, bool foregroundElevated, bool weElevated) {
  const bool entering = foregroundElevated && !weElevated;
  const bool wasIn = inElevated_;
  const bool sameProgram = SameProgram(program, current_);
  inElevated_ = entering;
  current_ = std::wstring(program);
  if (!entering) return ElevationStep::Nothing;
  const bool known = std::any_of(told_.begin(), told_.end(), [&](const std::wstring& p) { return SameProgram(p, program); });
  if (!known && !program.empty()) {
    if (told_.size() == kMaxTold) told_.erase(told_.begin());
    told_.emplace_back(program);
    return ElevationStep::LetGoAndTell;
  }
  // Between two windows of elevated programs our hook saw nothing: there is nothing to let go of.
  return wasIn && sameProgram ? ElevationStep::Nothing : ElevationStep::LetGo;
}

std::wstring ElevatedProgramTitle() { return std::wstring(Text(TextId::ElevatedProgramTitle)); }

std::wstring ElevatedProgramText(std::wstring_view program) {
  const std::wstring name(FileNameOf(program));
  return TextWith(TextId::ElevatedProgramText, {name.empty() ? program : std::wstring_view(name)});
}

}  // namespace orvelle
