#include "assign/recording.h"

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
  switch (vkCode) {
    case 33: return 105;
    case 34: return 99;
    case 35: return 97;
    case 36: return 103;
    case 37: return 100;
    case 38: return 104;
    case 39: return 102;
    case 40: return 98;
    case 45: return 96;
    case 46: return 110;
    default: return vkCode;
  }
}

CaptureTarget CaptureTargetFor(int dialogKind) {
  if (dialogKind == 0) return CaptureTarget::KeyField;
  if (dialogKind == 1 || dialogKind == 4) return CaptureTarget::Recorder;
  return CaptureTarget::Nowhere;
}

}  // namespace orvelle
