// The values of the profile file one at a time, at the speed of their parsers: a Text key's
// escapes, a name put in quotes where the reader would change it, a macro's steps and waits. The
// first byte chooses the value and, for steps, the stored count; the rest is the value's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/ini_section.h"
#include "fuzz/fuzz_input.h"
#include "model/profile_values.h"

namespace {

using namespace orvelle;

// What the INI reader hands back of a value written as `stored`.
std::wstring AsRead(const std::wstring& stored) {
  return ini_rules::StripQuotesAndCut(ini_rules::TrimBlanks(stored), stored.size() + 1);
}

bool OneLine(const std::wstring& value) { return value.find_first_of(L"\r\n", 0) == std::wstring::npos; }

void Text(const std::wstring& stored) {
  const std::wstring text = DecodeText(stored);
  if (text.size() > kMaxTextChars) __builtin_trap();
  for (wchar_t c : text) {
    if ((c < 0x20 && c != L'\n' && c != L'\t') || c == 0x7F) __builtin_trap();
  }
  const std::wstring written = EncodeText(text);
  if (!OneLine(written) || DecodeText(AsRead(written)) != text) __builtin_trap();
}

void Name(const std::wstring& name) {
  // A name comes from a line of the file or from a one-line field: it holds no line break.
  if (!OneLine(name) || name.find(L'\0') != std::wstring::npos) return;
  if (AsRead(QuotedWhereNeeded(name)) != name) __builtin_trap();
}

void Steps(const std::wstring& stored, int count) {
  const MacroSteps steps = ParseMacroSteps(stored, count);
  if (steps.size() > static_cast<size_t>(kMaxMacroSteps)) __builtin_trap();
  if (steps.size() * kStepFields > static_cast<size_t>(count < 0 ? 0 : count)) __builtin_trap();
  const std::wstring written = JoinSteps(steps);
  if (ParseMacroSteps(written, static_cast<int>(steps.size() * kStepFields)) != steps) __builtin_trap();
  const MacroDelays delays = ParseMacroDelays(stored, steps.size());
  if (!delays.empty() && delays.size() != steps.size()) __builtin_trap();
  for (int wait : delays) {
    if (wait < 0 || wait > kMaxStepDelayMs) __builtin_trap();
  }
  if (ParseMacroDelays(JoinInts(delays), steps.size()) != delays) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::wstring value = fuzz::Units(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      Text(value);
      break;
    case 1:
      Name(value);
      break;
    default:
      // The count a hand edit may give: anything from none to far more than the list holds.
      Steps(value, static_cast<int>(data[0] / 3) * 97 - 1);
      break;
  }
  return 0;
}
