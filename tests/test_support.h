#pragma once

#include <deque>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_ops.h"
#include "platform/portable/disk_file_store.h"
#include "platform/portable/portable_ini.h"

namespace orvelle {
// A kind as the tests print it: its number, as the file stores it.
inline std::ostream& operator<<(std::ostream& out, AssignKind kind) { return out << KindNumber(kind); }
}  // namespace orvelle

namespace orvelle::testing {

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Full path of `name` inside the folder.
  std::wstring Path(const std::wstring& name) const;
  // Writes `text` as a UTF-16LE file with a byte-order mark, CRLF line ends.
  std::wstring WriteUtf16(const std::wstring& name, const std::wstring& text) const;
  // Writes raw bytes.
  std::wstring WriteBytes(const std::wstring& name, const std::string& bytes) const;

 private:
  std::filesystem::path root_;
};

// `text` as a file the program writes: CRLF line ends, UTF-16LE with a byte-order mark.
std::string Utf16File(std::wstring_view text);

// Windows-1251, the legacy code page of a Russian system, for the Cyrillic and ASCII characters:
// how the program's older files hold Cyrillic names.
std::string EncodeCp1251(std::wstring_view text);
std::wstring DecodeCp1251(std::string_view bytes);

// Macro steps written as a file keeps them, three numbers a step (key-name parameter, key code,
// direction): {1, 65, 1, 2, 65, 0} is A down and up. Numbers that make no whole step are dropped.
MacroSteps Steps(std::initializer_list<int> flat);
// An untimed macro played once.
Macro MacroOf(std::wstring name, std::initializer_list<int> flat);
// One part of every macro of a table, in table order.
std::vector<std::wstring> MacroNames(const MacroTable& table);
std::vector<MacroDelays> MacroWaits(const MacroTable& table);
std::vector<int> MacroLoops(const MacroTable& table);

// A key table whose entries are given as (entry, key code, name); the rest stay empty.
struct SlotDef {
  int entry;
  int keyCode;
  std::wstring name;
};
KeyTable MakeKeyTable(const std::vector<SlotDef>& slots);

// A key table where every key slot 1..121 has its own key code (entry e -> code e + 10, so no
// slot shares a code with another) and the name "K<e>"; screen buttons carry their names.
KeyTable MakeFullKeyTable();

// "Main.ini" for `table`: section "BUTTONINFO" with every entry that has a name or a key code.
std::wstring LayoutText(const KeyTable& table);

// Answers the profile operations' questions from a script and records what was asked.
class ScriptedUi final : public ProfileUi {
 public:
  std::deque<bool> answers;  // one per question; an empty script answers Cancel
  std::optional<std::wstring> exportFile;
  std::optional<std::wstring> importFile;
  std::vector<std::wstring> questions;
  std::vector<std::wstring> told;
  std::vector<MessageKind> toldKinds;  // one per message told
  std::vector<std::wstring> suggestedExportNames;
  int repaints = 0;

  bool Confirm(std::wstring_view text) override;
  std::optional<std::wstring> ChooseExportFile(std::wstring_view suggestedName) override {
    suggestedExportNames.emplace_back(suggestedName);
    return exportFile;
  }
  std::optional<std::wstring> ChooseImportFile() override { return importFile; }
  void RepaintMainWindow() override { ++repaints; }
  void Tell(std::wstring_view text, MessageKind kind) override {
    told.emplace_back(text);
    toldKinds.push_back(kind);
  }
};

}  // namespace orvelle::testing
