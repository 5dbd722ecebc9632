#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// What to do when a program comes to the front, by whether it runs elevated (as administrator)
// and whether we do. Windows calls no hook of a program that is not elevated while an elevated
// window is in front, and input a non-elevated program sends into it fails: nothing we press
// then can be released by our hook's events, and keys are silently not remapped.
enum class ElevationStep {
  Nothing,
  LetGo,         // release everything, stop every playback, forget what the hook swallowed
  LetGoAndTell,  // the same, and tell the user about this program, the first time it comes up
};

class ElevationGuard {
 public:
  // The program in front changed to `program` (its path or file name; empty when unknown).
  ElevationStep OnForeground(std::wstring_view program, bool foregroundElevated, bool weElevated);

  // How many programs the user was told about.
  size_t told() const { return told_.size(); }

  // Programs remembered as told, at most: past this the oldest is forgotten (and may be told again).
  static constexpr size_t kMaxTold = 64;

 private:
  bool inElevated_ = false;
  std::wstring current_;
  std::vector<std::wstring> told_;
};

// The tray balloon for an elevated program in front.
std::wstring ElevatedProgramTitle();
std::wstring ElevatedProgramText(std::wstring_view program);

}  // namespace orvelle
