#include "app/key_tooltip.h"

#include <string>

#include "base/texts.h"
#include "model/shown_names.h"

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
  return std::wstring(Text(TextId::TipOpenQuote)) + std::wstring(text) + std::wstring(Text(TextId::TipCloseQuote));
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
      if (AsciiUpper(assignment.name) == AsciiUpper(ownName)) return std::wstring(Text(TextId::TipUnchanged));
      return std::wstring(Text(TextId::TipKey)) + assignment.name;
    case AssignKind::Macro:
      return std::wstring(Text(TextId::TipMacro)) + Quoted(assignment.name);
    case AssignKind::Media:
      return std::wstring(Text(TextId::TipMedia)) + std::wstring(ShownMediaName(assignment.name));
    case AssignKind::Function:
      return std::wstring(Text(TextId::TipCommand)) + Quoted(ShownCommandName(assignment.name));
    case AssignKind::Disabled:
      return std::wstring(Text(TextId::TipDisabled));
    case AssignKind::Profile:
      switch (assignment.profileTarget) {
        case ProfileTarget::One: return std::wstring(Text(TextId::TipProfile)) + L"1";
        case ProfileTarget::Two: return std::wstring(Text(TextId::TipProfile)) + L"2";
        case ProfileTarget::Three: return std::wstring(Text(TextId::TipProfile)) + L"3";
        case ProfileTarget::Next: return std::wstring(Text(TextId::TipNextProfile));
        case ProfileTarget::Pause: return std::wstring(Text(TextId::TipPause));
        case ProfileTarget::None: break;
      }
      break;
    case AssignKind::Mouse:
      switch (assignment.mouse) {
        case MouseAction::Left: return std::wstring(Text(TextId::TipMouseLeft));
        case MouseAction::Right: return std::wstring(Text(TextId::TipMouseRight));
        case MouseAction::Middle: return std::wstring(Text(TextId::TipMouseMiddle));
        case MouseAction::X1: return std::wstring(Text(TextId::TipMouseX1));
        case MouseAction::X2: return std::wstring(Text(TextId::TipMouseX2));
        case MouseAction::WheelUp: return std::wstring(Text(TextId::TipWheelUp));
        case MouseAction::WheelDown: return std::wstring(Text(TextId::TipWheelDown));
        case MouseAction::None: break;
      }
      break;
    case AssignKind::Text:
    case AssignKind::Program:
      if (!HasAction(assignment)) break;  // nothing to type or start: the key sends itself
      if (assignment.kind == AssignKind::Program) {
        return std::wstring(Text(TextId::TipProgram)) + Quoted(Excerpt(LastPart(assignment.program), kTipExcerptChars));
      }
      return std::wstring(Text(TextId::TipText)) + Quoted(OneLine(Excerpt(assignment.text, kTipExcerptChars)));
  }
  // A kind the program does not know leaves the key sending itself.
  return std::wstring(Text(TextId::TipUnchanged));
}

}  // namespace

std::wstring KeyTooltipText(std::wstring_view ownName, const KeyAssignment& assignment) {
  const std::wstring action = Action(ownName, assignment);
  std::wstring tip = AsciiUpper(ownName) + std::wstring(Text(TextId::TipSeparator)) + action;
  // A disabled key does nothing, held or not, and a key that sends itself acts as long as it is
  // held anyway.
  const bool acts = assignment.kind != AssignKind::Disabled && action != Text(TextId::TipUnchanged);
  if (assignment.turboMs != 0 && acts) {
    tip += std::wstring(Text(TextId::TipTurboBefore)) + std::to_wstring(assignment.turboMs) + std::wstring(Text(TextId::TipTurboAfter));
  } else if (assignment.hold && acts && assignment.kind != AssignKind::Profile) {
    tip += Text(TextId::TipHold);
  }
  return tip;
}

}  // namespace orvelle
