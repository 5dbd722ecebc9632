#include "model/profile_values.h"

#include <algorithm>
#include <array>

#include "base/text.h"

namespace orvelle {
namespace {

// The first `wanted` comma-separated numbers of a list, each handed to `take`; fields past the
// end of the list count as 0, and fields after the first `wanted` are never looked at.
template <typename Take>
void ForEachField(std::wstring_view text, size_t wanted, Take take) {
  size_t start = 0;
  for (size_t f = 0; f < wanted; ++f) {
    if (start > text.size()) {
      take(0);
      continue;
    }
    size_t comma = text.find(L',', start);
    if (comma == std::wstring_view::npos) comma = text.size();
    take(ParseInt(text.substr(start, comma - start)));
    start = comma + 1;
  }
}

}  // namespace

// The file keeps a macro as one flat list of numbers, three per step (key-name parameter, key code,
// direction), and `count` says how many numbers to take. A stored count larger than the fields
// present pads the list with zeros only up to the next whole step; numbers that make no whole step
// at the end are no step. A list longer than kMaxMacroSteps steps keeps its first kMaxMacroSteps.
MacroSteps ParseMacroSteps(std::wstring_view text, int count) {
  MacroSteps steps;
  if (count <= 0) return steps;
  const size_t fields = static_cast<size_t>(std::count(text.begin(), text.end(), L',')) + 1;
  const size_t limit = std::min<size_t>((fields + kStepFields - 1) / kStepFields, size_t{kMaxMacroSteps}) * kStepFields;
  const size_t wanted = std::min(static_cast<size_t>(count), limit) / kStepFields * kStepFields;
  steps.reserve(wanted / kStepFields);
  std::array<int, kStepFields> step{};
  size_t field = 0;
  ForEachField(text, wanted, [&](int value) {
    step[field++] = value;
    if (field < kStepFields) return;
    steps.push_back(MacroStep{step[0], step[1], step[2]});
    field = 0;
  });
  return steps;
}

std::wstring JoinSteps(const MacroSteps& steps) {
  std::wstring text;
  for (const MacroStep& step : steps) {
    if (!text.empty()) text += L',';
    text += FormatInt(step.keyNameParam) + L',' + FormatInt(step.keyCode) + L',' + FormatInt(step.direction);
  }
  return text;
}

// A timed macro's waits, one per whole step whatever the list holds: a list too short is padded
// with 0, one too long is cut, and a wait outside 0..kMaxStepDelayMs (or no number at all) becomes
// the nearest value inside. No list, or an empty one, is an untimed macro. Only as many fields as
// there are steps are looked at, however long a hand-edited list is.
MacroDelays ParseMacroDelays(std::wstring_view text, size_t stepCount) {
  MacroDelays delays;
  if (text.empty()) return delays;
  delays.reserve(stepCount);
  ForEachField(text, stepCount, [&](int value) { delays.push_back(std::clamp(value, 0, kMaxStepDelayMs)); });
  return delays;
}

// A loop count outside 1..kMaxMacroLoops, or no number at all, plays the macro once.
int ParseMacroLoops(int stored) { return stored >= 1 && stored <= kMaxMacroLoops ? stored : 1; }

std::wstring JoinInts(const std::vector<int>& values) {
  std::wstring text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += L',';
    text += FormatInt(values[i]);
  }
  return text;
}

// Text, Program and Args values are one line each, and the line must read back as written. In a
// Text value a backslash starts an escape: \n is a line break, \t a tab and \\ one
// backslash; any other backslash stands for itself, so a hand-written C:\dir keeps its
// backslash unless a 'n', 't' or second backslash follows it. Program and Args values hold no
// control characters and are stored as they are; so are the names (SetName, MacroName). A value
// the reader would change (blanks, tabs and line-end characters at either end are trimmed, one pair
// of enclosing quotes is stripped) is stored inside double quotes, which the reader strips again.
std::wstring QuotedWhereNeeded(std::wstring value) {
  const auto fragile = [](wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'"' || c == L'\'';
  };
  if (!value.empty() && (fragile(value.front()) || fragile(value.back()))) value = L'"' + value + L'"';
  return value;
}

std::wstring EncodeText(std::wstring_view text) {
  std::wstring stored;
  stored.reserve(text.size() + 8);
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        stored += L"\\\\";
        break;
      case L'\n':
        stored += L"\\n";
        break;
      case L'\t':
        stored += L"\\t";
        break;
      default:
        if (c >= 0x20 && c != 0x7F) stored += c;
        break;
    }
  }
  return QuotedWhereNeeded(std::move(stored));
}

// Only as much of a hand-edited value is decoded as can survive the cut to kMaxTextChars.
std::wstring DecodeText(std::wstring_view stored) {
  std::wstring text;
  for (size_t i = 0; i < stored.size() && text.size() <= kMaxTextChars; ++i) {
    const wchar_t c = stored[i];
    const wchar_t next = i + 1 < stored.size() ? stored[i + 1] : L'\0';
    if (c == L'\\' && (next == L'\\' || next == L'n' || next == L't')) {
      text += next == L'n' ? L'\n' : next == L't' ? L'\t' : L'\\';
      ++i;
    } else {
      text += c;
    }
  }
  return CleanText(text);
}

}  // namespace orvelle
