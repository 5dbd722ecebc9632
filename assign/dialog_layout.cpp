#include "assign/dialog_layout.h"

#include <algorithm>

#include "model/working_edits.h"

namespace orvelle {
namespace {

// Which field of the view shows a control and which enables it; a null field means always. A
// control of the "Other" mode's keys for games shows only while both the mode and they are shown.
struct ViewBinding {
  int id;
  bool AssignView::*shown;
  bool AssignView::*enabled;
  bool AssignView::*alsoShown = nullptr;
};
constexpr std::array<ViewBinding, 35> kBindings = {{
    {IDC_KEY_FIELD, &AssignView::keyFieldVisible, nullptr},
    {IDC_MEDIA_LIST, &AssignView::mediaListVisible, nullptr},
    {IDC_FUNCTION_LIST, &AssignView::functionListVisible, nullptr},
    {IDC_MACRO_NAMES, &AssignView::macroControlsVisible, &AssignView::macroEditEnabled},
    {IDC_STEP_LIST, &AssignView::macroControlsVisible, nullptr},
    {IDC_ADD_MACRO, &AssignView::macroControlsVisible, &AssignView::macroEditEnabled},
    {IDC_DELETE_MACRO, &AssignView::macroControlsVisible, &AssignView::macroEditEnabled},
    {IDC_RECORD, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_DELETE_STEP, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_CLEAR_STEPS, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_FIRST_STEP, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_STEP_UP, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_STEP_DOWN, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    {IDC_LAST_STEP, &AssignView::macroControlsVisible, &AssignView::stepButtonsEnabled},
    // The mode buttons of the other kinds hide while only the macro table is edited.
    {IDC_SINGLE_KEY, &AssignView::singleKeyButtonVisible, nullptr},
    {IDC_MEDIA_MODE, &AssignView::mediaButtonVisible, nullptr},
    {IDC_FUNCTION_MODE, &AssignView::functionButtonVisible, nullptr},
    {IDC_HOLD, &AssignView::holdBoxVisible, nullptr},
    // Settled before a recording starts, as the macro it records into is.
    {IDC_KEY_DELAY, &AssignView::macroControlsVisible, &AssignView::macroEditEnabled},
    {IDC_LOOP_COUNT, &AssignView::macroControlsVisible, &AssignView::macroEditEnabled},
    // The "Other" mode: the fields of the choices not chosen rest.
    {IDC_OTHER_MODE, &AssignView::otherButtonVisible, nullptr},
    {IDC_DISABLED_CHOICE, &AssignView::otherControlsVisible, nullptr},
    {IDC_TEXT_CHOICE, &AssignView::otherControlsVisible, nullptr},
    {IDC_PROGRAM_CHOICE, &AssignView::otherControlsVisible, nullptr},
    {IDC_TEXT_FIELD, &AssignView::otherControlsVisible, &AssignView::textFieldEnabled},
    {IDC_PROGRAM_PATH, &AssignView::otherControlsVisible, &AssignView::programFieldsEnabled},
    {IDC_BROWSE, &AssignView::otherControlsVisible, &AssignView::programFieldsEnabled},
    {IDC_PROGRAM_ARGS, &AssignView::otherControlsVisible, &AssignView::programFieldsEnabled},
    {IDC_PROFILE_CHOICE, &AssignView::otherControlsVisible, nullptr, &AssignView::gamerChoicesVisible},
    {IDC_MOUSE_CHOICE, &AssignView::otherControlsVisible, nullptr, &AssignView::gamerChoicesVisible},
    {IDC_PROFILE_LIST, &AssignView::otherControlsVisible, &AssignView::profileListEnabled,
     &AssignView::gamerChoicesVisible},
    {IDC_ALL_PROFILES, &AssignView::otherControlsVisible, &AssignView::profileListEnabled,
     &AssignView::gamerChoicesVisible},
    {IDC_MOUSE_LIST, &AssignView::otherControlsVisible, &AssignView::mouseListEnabled,
     &AssignView::gamerChoicesVisible},
    // The turbo box rests on the "Other" page while its choice takes no turbo; the period rests
    // while the box is clear.
    {IDC_TURBO, &AssignView::turboBoxShown, &AssignView::turboVisible},
    {IDC_TURBO_PERIOD, &AssignView::turboBoxShown, &AssignView::turboFieldEnabled},
}};

// The entries of the "Other" mode that place a control: its mode button, the choices, the fields
// and the browse button (entry 35 is a painted label).
constexpr std::array<int, 8> kOtherModeEntries = {28, 29, 30, 31, 32, 33, 34, 36};
// The entries of the keys for games: the Profile and Mouse choices, their lists, the all-profiles
// box, the turbo box, its period field and its notice.
constexpr std::array<int, 8> kGamerEntries = {39, 40, 41, 42, 43, 44, 45, 46};

bool PlacesAll(const CompositeLayout& layout, const std::array<int, 8>& entries) {
  for (int entry : entries) {
    const Rect& area = layout[static_cast<size_t>(entry - 1)];
    if (area.Width() <= 0 || area.Height() <= 0) return false;
  }
  return true;
}

}  // namespace

const std::array<int, 35> kViewBoundControlIds = [] {
  std::array<int, 35> ids{};
  for (size_t i = 0; i < kBindings.size(); ++i) ids[i] = kBindings[i].id;
  return ids;
}();

bool PlacesOtherMode(const CompositeLayout& layout) { return PlacesAll(layout, kOtherModeEntries); }

// The "Other" mode's layout comes with it: the choices for games sit on its page.
bool PlacesGamerControls(const CompositeLayout& layout) {
  return PlacesOtherMode(layout) && PlacesAll(layout, kGamerEntries);
}

ButtonSkin SkinOfEntry(int entry) {
  const bool toggle = entry == 12 || entry == 24 || entry == 25 || (entry >= 29 && entry <= 31) || entry == 39 ||
                      entry == 41 || entry == 42 || entry == 44;
  const bool sticky = toggle || (entry >= 6 && entry <= 9) || entry == 28;
  if (entry <= 9 || entry == 24 || entry == 28) {
    return {{DialogPicture::KeyNormal, DialogPicture::KeyOver, DialogPicture::KeyDown}, std::nullopt, sticky, toggle};
  }
  if (entry >= 29) {
    return {{DialogPicture::OtherNormal, DialogPicture::OtherOver, DialogPicture::OtherDown},
            DialogPicture::OtherDisable, sticky, toggle};
  }
  return {{DialogPicture::MacroNormal, DialogPicture::MacroOver, DialogPicture::MacroDown}, DialogPicture::MacroDisable,
          sticky, toggle};
}

std::optional<DialogPicture> BackgroundOf(EditTarget target, AssignKind kind) {
  if (target == EditTarget::MacroTable) return DialogPicture::MacroOnly;
  switch (kind) {
    case AssignKind::SingleKey:
      return DialogPicture::KeyNormal;
    case AssignKind::Macro:
      return DialogPicture::MacroNormal;
    case AssignKind::Media:
      return DialogPicture::Media;
    case AssignKind::Function:
      return DialogPicture::Function;
    case AssignKind::Disabled:
    case AssignKind::Text:
    case AssignKind::Program:
    case AssignKind::Profile:
    case AssignKind::Mouse:
      return DialogPicture::OtherNormal;
    default:
      return std::nullopt;
  }
}

std::array<int, 3> StepColumnWidths(int width, int actionNeeds, int delayNeeds) {
  width = std::max(0, width);
  const int action = std::max(0, actionNeeds);
  const int delay = std::max(0, delayNeeds);
  const int third = width / 3;
  if (width - action - delay >= third) return {width - action - delay, action, delay};
  const int rest = width - third;
  const int shared = action + delay > 0 ? static_cast<int>(static_cast<long long>(rest) * action / (action + delay)) : 0;
  return {third, shared, rest - shared};
}

Point OpeningPlace(std::optional<Point> earlier, int width, int height, const Rect& workArea) {
  if (earlier && earlier->x >= workArea.left && earlier->y >= workArea.top &&
      static_cast<long long>(earlier->x) + width <= workArea.right &&
      static_cast<long long>(earlier->y) + height <= workArea.bottom) {
    return *earlier;
  }
  return CentredOrigin(workArea, width, height);
}

int ControlOfFocus(DialogFocus focus) {
  switch (focus) {
    case DialogFocus::KeyField:
      return IDC_KEY_FIELD;
    case DialogFocus::MediaList:
      return IDC_MEDIA_LIST;
    case DialogFocus::FunctionList:
      return IDC_FUNCTION_LIST;
    case DialogFocus::MacroNames:
      return IDC_MACRO_NAMES;
    case DialogFocus::TextField:
      return IDC_TEXT_FIELD;
    case DialogFocus::ProgramPath:
      return IDC_PROGRAM_PATH;
    case DialogFocus::None:
      break;
  }
  return 0;
}

ControlLook NoticeLook(const AssignView& view, int controlId) {
  if (controlId == IDC_TURBO_HINT) return ControlLook{view.turboVisible && !view.turboHint.empty(), true};
  const std::wstring* text = controlId == IDC_RECORD_NOTICE ? &view.recordNotice
                             : controlId == IDC_MACRO_HINT  ? &view.macroHint
                                                            : nullptr;
  return ControlLook{text != nullptr && view.macroControlsVisible && !text->empty(), true};
}

ControlLook LookOf(const AssignView& view, int controlId) {
  for (const ViewBinding& binding : kBindings) {
    if (binding.id != controlId) continue;
    return ControlLook{(binding.shown == nullptr || view.*(binding.shown)) &&
                           (binding.alsoShown == nullptr || view.*(binding.alsoShown)),
                       binding.enabled == nullptr || view.*(binding.enabled)};
  }
  return ControlLook{};
}

}  // namespace orvelle
