#include "tests/test_support.h"

#include <atomic>
#include <chrono>

#include "platform/portable/text_codec.h"

namespace orvelle::testing {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root_ = std::filesystem::temp_directory_path() /
          ("orvelle-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(root_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(root_, error);
}

std::wstring TempFolder::Path(const std::wstring& name) const {
#ifdef _WIN32
  return (root_ / name).wstring();
#else
  return FromUtf8((root_ / ToUtf8(name)).string());
#endif
}

std::wstring TempFolder::WriteUtf16(const std::wstring& name, const std::wstring& text) const {
  return WriteBytes(name, Utf16File(text));
}

std::wstring TempFolder::WriteBytes(const std::wstring& name, const std::string& bytes) const {
  const std::wstring path = Path(name);
  WriteFileBytes(path, bytes);
  return path;
}

std::string Utf16File(std::wstring_view text) {
  std::wstring crlf;
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  return EncodeText(crlf, TextEncoding::Utf16Le);
}

std::string EncodeCp1251(std::wstring_view text) {
  std::string bytes;
  for (wchar_t c : text) {
    if (c >= L'А' && c <= L'я') {
      bytes.push_back(static_cast<char>(0xC0 + (c - L'А')));
    } else if (c == L'Ё' || c == L'ё') {
      bytes.push_back(static_cast<char>(c == L'Ё' ? 0xA8 : 0xB8));
    } else {
      bytes.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
  }
  return bytes;
}

std::wstring DecodeCp1251(std::string_view bytes) {
  std::wstring text;
  for (char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    text.push_back(u >= 0xC0 ? static_cast<wchar_t>(L'А' + (u - 0xC0))
                   : u == 0xA8 ? L'Ё'
                   : u == 0xB8 ? L'ё'
                   : u < 0x80  ? static_cast<wchar_t>(u)
                               : L'?');
  }
  return text;
}

MacroSteps Steps(std::initializer_list<int> flat) {
  MacroSteps steps;
  const std::vector<int> numbers(flat);
  for (size_t i = 0; i + 2 < numbers.size(); i += 3) steps.push_back({numbers[i], numbers[i + 1], numbers[i + 2]});
  return steps;
}

Macro MacroOf(std::wstring name, std::initializer_list<int> flat) { return Macro{std::move(name), Steps(flat), {}, 1}; }

std::vector<std::wstring> MacroNames(const MacroTable& table) {
  std::vector<std::wstring> names;
  for (const Macro& macro : table.list) names.push_back(macro.name);
  return names;
}

std::vector<MacroDelays> MacroWaits(const MacroTable& table) {
  std::vector<MacroDelays> waits;
  for (const Macro& macro : table.list) waits.push_back(macro.delays);
  return waits;
}

std::vector<int> MacroLoops(const MacroTable& table) {
  std::vector<int> loops;
  for (const Macro& macro : table.list) loops.push_back(macro.loops);
  return loops;
}

KeyTable MakeKeyTable(const std::vector<SlotDef>& slots) {
  KeyTable table;
  for (const SlotDef& def : slots) {
    KeySlot& slot = table.slots[static_cast<size_t>(def.entry - 1)];
    slot.keyCode = def.keyCode;
    slot.name = def.name;
    slot.area = Rect{0, 0, 10, 10};
  }
  return table;
}

KeyTable MakeFullKeyTable() {
  KeyTable table;
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    KeySlot& slot = table.slots[static_cast<size_t>(entry - 1)];
    slot.name = L"K" + std::to_wstring(entry);
    slot.keyCode = entry <= kKeySlotCount ? entry + 10 : 0;
  }
  return table;
}

std::wstring LayoutText(const KeyTable& table) {
  std::wstring text = L"[BUTTONINFO]\n";
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    const KeySlot& s = table.Entry(entry);
    if (s.name.empty() && s.keyCode == 0) continue;
    text += std::to_wstring(entry) + L"=" + std::to_wstring(s.area.left) + L"," + std::to_wstring(s.area.top) + L"," +
            std::to_wstring(s.area.Width()) + L"," + std::to_wstring(s.area.Height()) + L",";
    if (entry < kFirstButtonEntry) text += std::to_wstring(s.keyCode) + L",";
    text += s.name + L"\n";
  }
  return text;
}

bool ScriptedUi::Confirm(std::wstring_view text) {
  questions.emplace_back(text);
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace orvelle::testing
