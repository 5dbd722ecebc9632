#include "app/programs_editor.h"

#include <algorithm>
#include <cwctype>

#include "base/text.h"
#include "base/texts.h"

namespace orvelle {
namespace {

constexpr size_t kLabelChars = 80;

}  // namespace

std::vector<OpenProgram> ProgramsToOffer(const std::vector<OpenProgram>& open, const ProgramBindings& bound) {
  std::vector<OpenProgram> offered;
  for (const OpenProgram& program : open) {
    const std::wstring_view name = FileNameOf(program.path);
    if (!IsProgramName(name) || BoundProfile(bound, name) != 0) continue;
    const bool seen = std::any_of(offered.begin(), offered.end(), [name](const OpenProgram& o) {
      return SameProgram(FileNameOf(o.path), name);
    });
    if (!seen) offered.push_back(program);
  }
  std::stable_sort(offered.begin(), offered.end(), [](const OpenProgram& a, const OpenProgram& b) {
    const std::wstring_view x = FileNameOf(a.path);
    const std::wstring_view y = FileNameOf(b.path);
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                        [](wchar_t p, wchar_t q) { return std::towlower(static_cast<wint_t>(p)) < std::towlower(static_cast<wint_t>(q)); });
  });
  if (offered.size() > kMaxOfferedPrograms) offered.resize(kMaxOfferedPrograms);
  return offered;
}

std::wstring OfferLabel(const OpenProgram& program) {
  std::wstring label(FileNameOf(program.path));
  if (!program.title.empty()) label += L" — " + program.title;
  // Captions may hold anything; a menu item takes "&" for a mnemonic and a tab for a column.
  std::replace(label.begin(), label.end(), L'\t', L' ');
  std::wstring escaped;
  for (wchar_t c : label) {
    if (c < 0x20) continue;
    escaped += c;
    if (c == L'&') escaped += L'&';
  }
  if (escaped.size() > kLabelChars) escaped = escaped.substr(0, kLabelChars - 1) + L"…";
  return escaped;
}

bool ProgramsEditor::Add(std::wstring_view path) {
  const std::wstring_view name = FileNameOf(path);
  for (size_t row = 0; row < bindings_.size(); ++row) {
    if (SameProgram(bindings_[row].program, name)) {
      selection_ = static_cast<int>(row);
      return true;
    }
  }
  if (!SetBinding(bindings_, name, kNewBindingProfile)) return false;
  selection_ = static_cast<int>(bindings_.size()) - 1;
  return true;
}

void ProgramsEditor::Select(int row) {
  selection_ = row >= 0 && row < static_cast<int>(bindings_.size()) ? row : -1;
}

void ProgramsEditor::SetProfile(int profile) {
  if (selection_ < 0 || profile < 1 || profile > 3) return;
  bindings_[static_cast<size_t>(selection_)].profile = profile;
}

void ProgramsEditor::RemoveSelected() {
  if (selection_ < 0) return;
  bindings_.erase(bindings_.begin() + selection_);
  if (selection_ >= static_cast<int>(bindings_.size())) selection_ = static_cast<int>(bindings_.size()) - 1;
}

std::wstring ProfileMenuLabel(int profile) { return std::wstring(Text(TextId::ProgramsProfileItem)) + FormatInt(profile); }

}  // namespace orvelle
