#pragma once

#include <cstdint>

namespace orvelle {

// What GetKeyNameTextW takes for a low-level key event: the scan code in bits 16..23 and the
// flags' low byte in bits 24..31 (the extended flag becomes bit 24, the release flag bit 31).
// The right Shift key reported as extended is named without that bit.
int32_t KeyNameParameter(uint32_t scanCode, uint32_t flags);

// The key code recorded or captured for a low-level event: the keypad's keys are kept as keypad
// codes whatever the NumLock state (the keypad Enter as 108), everything else as it comes.
int RecordedKeyCode(int vkCode, uint32_t flags);

// Where the recording hook sends a key event, by the dialog's current kind.
enum class CaptureTarget { KeyField, Recorder, Nowhere };
CaptureTarget CaptureTargetFor(int dialogKind);

}  // namespace orvelle
