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
  std::wstring crlf;
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  return WriteBytes(name, EncodeText(crlf, TextEncoding::Utf16Le));
}

std::wstring TempFolder::WriteBytes(const std::wstring& name, const std::string& bytes) const {
  const std::wstring path = Path(name);
  WriteFileBytes(path, bytes);
  return path;
}

KeyTable MakeKeyTable(const std::vector<SlotDef>& slots) {
  KeyTable table;
  for (const SlotDef& def : slots) {
    KeySlot& slot = table.slots[static_cast<size_t>(def.entry - 1)];
    slot.keyCode = def.keyCode;
    slot.name = def.name;
    slot.width = 10;
    slot.height = 10;
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

bool ScriptedUi::Confirm(std::wstring_view text) {
  questions.emplace_back(text);
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace orvelle::testing
