#pragma once

#include <array>
#include <optional>

#include "base/geometry.h"

#include "assign/assign_dialog.h"
#include "model/key_table.h"
#include "resources/resource.h"

namespace orvelle {

// The key assignment dialog's controls as the skin places and draws them: which composite layout
// entry places which control, which pictures a skinned button's faces come from, which
// background each dialog kind shows, and which field of the view shows or enables a control.

inline constexpr int kDialogCancelId = 2;  // IDCANCEL

// A control by the entry of the composite layout that places it.
struct PlacedControl {
  int entry;
  int id;
};

// The skinned buttons (entry 5 places no control). The hold, "record key delays", all-profiles and
// turbo check boxes and the "Other" mode's five choices are skinned buttons too, sticky, selected
// while ticked or chosen.
using SkinnedButton = PlacedControl;
inline constexpr std::array<SkinnedButton, 28> kSkinnedButtons = {{
    {1, IDC_ASSIGN_OK},        {2, kDialogCancelId},   {3, IDC_CLEAR},           {4, IDC_OSK},
    {6, IDC_SINGLE_KEY},       {7, IDC_MACRO_MODE},    {8, IDC_MEDIA_MODE},      {9, IDC_FUNCTION_MODE},
    {10, IDC_ADD_MACRO},       {11, IDC_DELETE_MACRO}, {12, IDC_RECORD},         {13, IDC_DELETE_STEP},
    {14, IDC_CLEAR_STEPS},     {15, IDC_FIRST_STEP},   {16, IDC_STEP_UP},        {17, IDC_STEP_DOWN},
    {18, IDC_LAST_STEP},       {24, IDC_HOLD},         {25, IDC_KEY_DELAY},      {28, IDC_OTHER_MODE},
    {29, IDC_DISABLED_CHOICE}, {30, IDC_TEXT_CHOICE},  {31, IDC_PROGRAM_CHOICE}, {34, IDC_BROWSE},
    {39, IDC_PROFILE_CHOICE},  {41, IDC_ALL_PROFILES}, {42, IDC_MOUSE_CHOICE},   {44, IDC_TURBO},
}};
// The mode buttons single key, macro, multimedia, function and other, in the order of the view's
// modeButtons, the record button, the two check boxes and the three choices.
inline constexpr std::array<int, 5> kModeButtonIds = {IDC_SINGLE_KEY, IDC_MACRO_MODE, IDC_MEDIA_MODE, IDC_FUNCTION_MODE,
                                                      IDC_OTHER_MODE};
inline constexpr int kRecordButtonId = IDC_RECORD;
inline constexpr int kHoldBoxId = IDC_HOLD;
inline constexpr int kKeyDelayBoxId = IDC_KEY_DELAY;

// The plain controls placed by the layout. Entries 27 and 35 place the loop field's and the
// arguments field's labels, which are painted into the pictures and are no controls. Entries 37
// and 38 place the notices beside the record button and under the step list; a layout without
// them shows no notice. Entry 46 places the notice of a turbo period refused.
inline constexpr int kRecordNoticeEntry = 37;
inline constexpr int kMacroHintEntry = 38;
inline constexpr int kTurboHintEntry = 46;
inline constexpr std::array<PlacedControl, 15> kPlacedControlIds = {{
    {19, IDC_KEY_FIELD},
    {20, IDC_MEDIA_LIST},
    {21, IDC_FUNCTION_LIST},
    {22, IDC_MACRO_NAMES},
    {23, IDC_STEP_LIST},
    {26, IDC_LOOP_COUNT},
    {32, IDC_TEXT_FIELD},
    {33, IDC_PROGRAM_PATH},
    {36, IDC_PROGRAM_ARGS},
    {kRecordNoticeEntry, IDC_RECORD_NOTICE},
    {kMacroHintEntry, IDC_MACRO_HINT},
    {40, IDC_PROFILE_LIST},
    {43, IDC_MOUSE_LIST},
    {45, IDC_TURBO_PERIOD},
    {kTurboHintEntry, IDC_TURBO_HINT},
}};

// Whether the layout places the "Other" mode: its mode button and every control of its page. A
// layout made before the mode existed does not, and the dialog then never offers it.
bool PlacesOtherMode(const CompositeLayout& layout);
// Whether the layout places the "Other" mode's Profile and Mouse choices and the Turbo box
// beside Hold (entries 39..46). A layout made before them does not: the dialog then hides them
// and leaves a key's Profile, Mouse and Turbo values as it found them.
bool PlacesGamerControls(const CompositeLayout& layout);

// The dialog's pictures besides its mask.
enum class DialogPicture {
  KeyNormal, KeyOver, KeyDown,                            // single-key background, faces of 1..9, 24, 28
  Media, Function,                                        // those modes' backgrounds
  MacroNormal, MacroOver, MacroDown, MacroDisable,        // macro background, faces of entries 10..18, 25
  MacroOnly,                                              // the background of the macro table alone
  OtherNormal, OtherOver, OtherDown, OtherDisable,        // "Other" background, faces of 29..31, 34, 39..44
};
inline constexpr size_t kDialogPictureCount = 14;

// Where a skinned button's faces are cut from: the normal, over, down and (when it can be
// disabled) disabled pictures, at the button's own place; whether it shows its down face at
// rest while selected (the mode buttons, the record button and the check boxes); and whether it
// keeps that face under the pointer and while disabled (the record button, the check boxes and
// the choices: BitButtonModel::toggle).
struct ButtonSkin {
  std::array<DialogPicture, 3> faces;
  std::optional<DialogPicture> disabledFace;
  bool sticky;
  bool toggle = false;
};
ButtonSkin SkinOfEntry(int entry);

// The picture the dialog shows behind its controls: the macro table alone has its own, a key
// slot the one of its kind (an AssignKind); nothing for any other kind.
std::optional<DialogPicture> BackgroundOf(EditTarget target, AssignKind kind);

// Where the dialog, `width` by `height`, opens on a monitor's `workArea`: where it opened the first
// time (`earlier`), as long as it lies wholly inside the work area there, so that it never moves
// between openings (a taskbar that appears or a work area that changes no longer shifts it);
// otherwise centred, kept inside as far as it fits.
Point OpeningPlace(std::optional<Point> earlier, int width, int height, const Rect& workArea);

// The step list's column widths (key, action, delay) for a list `width` pixels wide inside its
// scroll bar: the action and delay columns as wide as their longest text needs in the language
// shown, the key column the rest. Where that leaves the key column less than a third, it keeps a
// third and the other two share the rest by their needs: the columns always fill the list exactly,
// and it never scrolls sideways.
std::array<int, 3> StepColumnWidths(int width, int actionNeeds, int delayNeeds);

// The control that takes the focus the view asks for; 0 for none.
int ControlOfFocus(DialogFocus focus);

// Whether a control is shown and enabled, by the view.
struct ControlLook {
  bool shown = true;
  bool enabled = true;
  bool operator==(const ControlLook&) const = default;
};
ControlLook LookOf(const AssignView& view, int controlId);
// The three notices: the macro editor's two shown with the macro controls, the turbo period's
// with the turbo box, each while it says something.
ControlLook NoticeLook(const AssignView& view, int controlId);
// Every control whose look follows the view.
extern const std::array<int, 35> kViewBoundControlIds;

}  // namespace orvelle
