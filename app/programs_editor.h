#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/program_bindings.h"

namespace orvelle {

// A program with a window open now, as the "add" menu offers it.
struct OpenProgram {
  std::wstring path;
  std::wstring title;  // its window's caption
  bool operator==(const OpenProgram&) const = default;
};

// What the "add" menu offers: one item per program (the first window's caption), by name, none
// that is bound already or cannot be kept, at most kMaxOfferedPrograms.
inline constexpr size_t kMaxOfferedPrograms = 30;
std::vector<OpenProgram> ProgramsToOffer(const std::vector<OpenProgram>& open, const ProgramBindings& bound);
// "game.exe — Caption", at most 80 characters.
std::wstring OfferLabel(const OpenProgram& program);

// The profile a newly bound program gets: games are the usual reason, and profile 1 the usual
// everyday profile.
inline constexpr int kNewBindingProfile = 2;

// The bindings dialog's list: a copy of the bindings the user edits, and the selected row. OK
// hands bindings() back; Cancel drops the copy.
class ProgramsEditor {
 public:
  explicit ProgramsEditor(ProgramBindings bindings) : bindings_(std::move(bindings)) {}

  const ProgramBindings& bindings() const { return bindings_; }
  int selection() const { return selection_; }

  // Binds the program at `path` (a full path or a file name) to kNewBindingProfile and selects
  // it; a program bound already is only selected. False when its name cannot be kept.
  bool Add(std::wstring_view path);
  void Select(int row);
  // The selected row's profile (1..3).
  void SetProfile(int profile);
  void RemoveSelected();

 private:
  ProgramBindings bindings_;
  int selection_ = -1;
};

// The profile items of the programs dialog's list and menus.
std::wstring ProfileMenuLabel(int profile);

}  // namespace orvelle
