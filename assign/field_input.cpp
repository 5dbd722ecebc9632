#include "assign/field_input.h"

#include "base/texts.h"
#include "model/shown_names.h"

namespace orvelle {

std::optional<int> ParseFieldNumber(std::wstring_view text, int least, int most) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
    if (value > most) return std::nullopt;  // also keeps a long run of digits from overflowing
  }
  if (value < least) return std::nullopt;
  return static_cast<int>(value);
}

namespace {

std::wstring ShortcutKeyName(int code) {
  switch (code) {
    case 16:
      return std::wstring(Text(TextId::ShortcutShift));
    case 17:
      return std::wstring(Text(TextId::ShortcutCtrl));
    case 18:
      return std::wstring(Text(TextId::ShortcutAlt));
    case 32:
      return std::wstring(Text(TextId::ShortcutSpace));
    case 107:
      return std::wstring(Text(TextId::ShortcutNumPlus));
    case 109:
      return std::wstring(Text(TextId::ShortcutNumMinus));
    default:
      break;
  }
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::wstring(1, static_cast<wchar_t>(code));
  return L"#" + std::to_wstring(code);
}

}  // namespace

std::wstring ShortcutText(const CommandRow& row) {
  std::wstring text;
  for (int i = 0; i < row.keyCount && i < static_cast<int>(row.keys.size()); ++i) {
    if (!text.empty()) text += L'+';
    text += ShortcutKeyName(row.keys[static_cast<size_t>(i)]);
  }
  return text;
}

std::wstring FunctionListText(const CommandRow& row) {
  std::wstring_view name = ShownCommandName(row.displayName);
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  return std::wstring(name) + L" (" + ShortcutText(row) + L')';
}

}  // namespace orvelle
