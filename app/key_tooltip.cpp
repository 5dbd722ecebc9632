#include "app/key_tooltip.h"

#include <string>

#include "base/ui_texts.h"

namespace orvelle {
namespace {

// Texts and program paths are cut to this many characters: a tip is one short line.
constexpr size_t kTipExcerptChars = 32;

std::wstring AsciiUpper(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return upper;
}

std::wstring Quoted(std::wstring_view text) {
  return std::wstring(ui_text::kTipOpenQuote) + std::wstring(text) + std::wstring(ui_text::kTipCloseQuote);
}

// One line: line breaks and tabs of a typed text as blanks.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text) {
    if (c == L'\n' || c == L'\r' || c == L'\t') c = L' ';
  }
  return text;
}

// The file or folder a program path names, without the folders above it.
std::wstring_view LastPart(std::wstring_view path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// What the key does, without its hold.
std::wstring Action(std::wstring_view ownName, const KeyAssignment& assignment) {
  switch (assignment.kind) {
    case AssignKind::SingleKey:
      if (AsciiUpper(assignment.name) == AsciiUpper(ownName)) return std::wstring(ui_text::kTipUnchanged);
      return std::wstring(ui_text::kTipKey) + assignment.name;
    case AssignKind::Macro:
      return std::wstring(ui_text::kTipMacro) + Quoted(assignment.name);
    case AssignKind::Media:
      return std::wstring(ui_text::kTipMedia) + assignment.name;
    case AssignKind::Function:
      return std::wstring(ui_text::kTipCommand) + Quoted(assignment.name);
    case AssignKind::Disabled:
      return std::wstring(ui_text::kTipDisabled);
    case AssignKind::Profile:
      switch (assignment.profileTarget) {
        case ProfileTarget::One: return std::wstring(ui_text::kTipProfile) + L"1";
        case ProfileTarget::Two: return std::wstring(ui_text::kTipProfile) + L"2";
        case ProfileTarget::Three: return std::wstring(ui_text::kTipProfile) + L"3";
        case ProfileTarget::Next: return std::wstring(ui_text::kTipNextProfile);
        case ProfileTarget::Pause: return std::wstring(ui_text::kTipPause);
        case ProfileTarget::None: break;
      }
      break;
    case AssignKind::Mouse:
      switch (assignment.mouse) {
        case MouseAction::Left: return std::wstring(ui_text::kTipMouseLeft);
        case MouseAction::Right: return std::wstring(ui_text::kTipMouseRight);
        case MouseAction::Middle: return std::wstring(ui_text::kTipMouseMiddle);
        case MouseAction::X1: return std::wstring(ui_text::kTipMouseX1);
        case MouseAction::X2: return std::wstring(ui_text::kTipMouseX2);
        case MouseAction::WheelUp: return std::wstring(ui_text::kTipWheelUp);
        case MouseAction::WheelDown: return std::wstring(ui_text::kTipWheelDown);
        case MouseAction::None: break;
      }
      break;
    case AssignKind::Text:
    case AssignKind::Program:
      if (!HasAction(assignment)) break;  // nothing to type or start: the key sends itself
      if (assignment.kind == AssignKind::Program) {
        return std::wstring(ui_text::kTipProgram) + Quoted(Excerpt(LastPart(assignment.program), kTipExcerptChars));
      }
      return std::wstring(ui_text::kTipText) + Quoted(OneLine(Excerpt(assignment.text, kTipExcerptChars)));
  }
  // A kind the program does not know leaves the key sending itself.
  return std::wstring(ui_text::kTipUnchanged);
}

}  // namespace

std::wstring KeyTooltipText(std::wstring_view ownName, const KeyAssignment& assignment) {
  const std::wstring action = Action(ownName, assignment);
  std::wstring tip = AsciiUpper(ownName) + std::wstring(ui_text::kTipSeparator) + action;
  // A disabled key does nothing, held or not, and a key that sends itself acts as long as it is
  // held anyway.
  const bool acts = assignment.kind != AssignKind::Disabled && action != ui_text::kTipUnchanged;
  if (assignment.turboMs != 0 && acts) {
    tip += std::wstring(ui_text::kTipTurboBefore) + std::to_wstring(assignment.turboMs) + std::wstring(ui_text::kTipTurboAfter);
  } else if (assignment.hold && acts && assignment.kind != AssignKind::Profile) {
    tip += ui_text::kTipHold;
  }
  return tip;
}

}  // namespace orvelle
