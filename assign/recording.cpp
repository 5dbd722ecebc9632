#include "assign/recording.h"

#include <algorithm>

#include "model/profile_data.h"

namespace orvelle {

int32_t KeyNameParameter(uint32_t scanCode, uint32_t flags) {
  const uint32_t value = scanCode * 0x10000u + flags * 0x1000000u;
  return static_cast<int32_t>(value == 0x01360000u ? 0x00360000u : value);
}

int RecordedKeyCode(int vkCode, uint32_t flags) {
  const bool release = (flags & 0x80u) != 0;
  if (vkCode == 13) return flags == (release ? 0x81u : 0x01u) ? 108 : 13;
  // A keypad key with NumLock off arrives as its navigation code without the extended flag.
  if (flags != (release ? 0x80u : 0x00u)) return vkCode;
  for (const KeypadPair& pair : kKeypadPairs) {
    if (pair.navigation == vkCode) return pair.keypad;
  }
  return vkCode;
}

int StepDelayMs(uint32_t then, uint32_t now) {
  return static_cast<int>(std::min<uint32_t>(now - then, static_cast<uint32_t>(kMaxStepDelayMs)));
}

bool PassedKeys::Passes(int vkCode, bool press, bool ownOutput) noexcept {
  if (vkCode < 0 || vkCode >= static_cast<int>(down_.size())) return ownOutput;
  const auto key = static_cast<size_t>(vkCode);
  const bool passes = ownOutput || down_.test(key);
  if (!press) down_.reset(key);
  return passes;
}

CaptureTarget CaptureTargetFor(AssignKind dialogKind) {
  if (dialogKind == AssignKind::SingleKey) return CaptureTarget::KeyField;
  if (dialogKind == AssignKind::Macro) return CaptureTarget::Recorder;
  return CaptureTarget::Nowhere;
}

}  // namespace orvelle
