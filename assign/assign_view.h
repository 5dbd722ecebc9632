#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_dialog.h"
#include "base/texts.h"
#include "controls/bit_button.h"

namespace orvelle {

// What the assignment dialog asks of the system: key names, its questions and a beep.
class AssignUi {
 public:
  virtual ~AssignUi() = default;
  // The system's name of a key, from its key-name parameter.
  virtual std::wstring KeyName(int32_t keyNameParameter) = 0;
  // The in-use question before a macro that keys play is deleted; true only for OK.
  virtual bool ConfirmMacroDelete(std::wstring_view text) = 0;
  // A yes/no question; true only for yes.
  virtual bool AskYesNo(std::wstring_view question) = 0;
  // The short sound of a refused click.
  virtual void Beep() = 0;
};

struct StepRow {
  std::wstring key;
  std::wstring action;  // the step pressed or released, in the interface's language
  std::wstring delay;   // the wait before the step in milliseconds; empty for an untimed macro
  bool operator==(const StepRow&) const = default;
};

enum class DialogFocus { None, KeyField, MediaList, FunctionList, MacroNames, TextField, ProgramPath };

// The system's open dialog of the browse button: a program, or any file a program opens.
inline constexpr FileDialogSetup kProgramDialog{TextId::ProgramDialogTitle, TextId::ProgramFileFilter, L"",
                                                0x4 | 0x8 | 0x800 | 0x1000};

// Everything the dialog's controls show. The dialog logic keeps it; the Win32 dialog makes its
// controls match it after every step.
struct AssignView {
  bool keyFieldVisible = false;
  bool mediaListVisible = false;
  bool functionListVisible = false;
  bool macroControlsVisible = false;
  bool singleKeyButtonVisible = true;
  bool mediaButtonVisible = true;
  bool functionButtonVisible = true;
  bool otherButtonVisible = true;
  // The mode buttons single key, macro, multimedia, function and other, and the record button.
  std::array<BitButtonModel, 5> modeButtons{};
  BitButtonModel recordButton{};

  std::wstring keyFieldText;
  int mediaSelection = 0;
  int functionSelection = 0;

  std::vector<std::wstring> macroItems;  // the name box's list, as last filled
  int macroSelection = -1;
  std::wstring macroFieldText;  // the name box's edit field
  std::vector<StepRow> stepRows;
  int stepSelection = -1;
  bool stepButtonsEnabled = true;  // record, delete step, clear, the four move buttons
  bool macroEditEnabled = true;    // add, delete macro, the name box, the delays box, the loop field

  // The check boxes are sticky toggle buttons: selected is ticked. The hold box shows in the four
  // key modes; the "record key delays" box and the loop field show with the macro controls.
  bool holdBoxVisible = false;
  BitButtonModel holdBox{};
  BitButtonModel keyDelayBox{};
  std::wstring loopCountText;  // the chosen macro's loop count, or what is being typed over it
  // Notices inside the dialog, each shown with the macro controls while it is not empty: beside
  // the record button (NumLock off), and under the step list (a loop count or delay refused).
  std::wstring recordNotice;
  std::wstring macroHint;

  // The "Other" mode: three sticky choices, one chosen at a time, and the fields of each; the
  // fields of the choices not chosen show what they hold but rest. The text is as its field
  // shows it, with CR LF line breaks; the path and arguments as typed.
  bool otherControlsVisible = false;
  BitButtonModel disabledChoice{};
  BitButtonModel textChoice{};
  BitButtonModel programChoice{};
  bool textFieldEnabled = false;
  bool programFieldsEnabled = false;
  std::wstring textFieldText;
  std::wstring programPathText;
  std::wstring programArgsText;
  // Its Profile and Mouse choices, shown when the skin places them, each with its list (enabled
  // while chosen), and the box that puts a Profile key into all three profiles.
  bool gamerChoicesVisible = false;
  BitButtonModel profileChoice{};
  BitButtonModel mouseChoice{};
  bool profileListEnabled = false;
  bool mouseListEnabled = false;
  int profileSelection = 0;
  int mouseSelection = 0;
  BitButtonModel allProfilesBox{};
  // The Turbo box and its period field beside Hold, and the notice of a period refused. They take
  // input while the kind takes turbo (turboVisible), and rest on the "Other" page otherwise.
  bool turboVisible = false;
  bool turboBoxShown = false;
  BitButtonModel turboBox{};
  bool turboFieldEnabled = false;  // the period field, while the box is ticked and takes input
  std::wstring turboText;
  std::wstring turboHint;

  DialogFocus focus = DialogFocus::None;
  // Counts the times the focus was asked for: a mode button clicked again puts the focus back on
  // its control even when another control took it meanwhile.
  int focusRequests = 0;
  bool recordingHook = false;  // the recording hook should be installed
};

}  // namespace orvelle
