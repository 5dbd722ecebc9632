#pragma once

namespace orvelle {

// The skinned push button's state machine and face choice; the Win32 control draws what these
// decide.
enum class ButtonState { Hover = 0, Pressed = 1, Idle = 3 };
enum class ButtonFace { Normal, Hover, Pressed, Disabled };

struct BitButtonModel {
  ButtonState state = ButtonState::Idle;
  bool selected = false;
  bool sticky = false;  // shows its pressed face at rest while selected (mode buttons, record)
  // A sticky button whose selection is a state the user must see at every moment (the record
  // button while recording, a ticked check box, a chosen choice): while selected it shows its
  // pressed face under the pointer too, and while disabled.
  bool toggle = false;
  bool selectedBeforePress = false;

  void SelectButton() {
    state = ButtonState::Idle;
    selected = true;
  }
  void OnHover() { state = ButtonState::Hover; }
  void OnLeave() { state = ButtonState::Idle; }
  void OnPress() {
    selectedBeforePress = selected;
    state = ButtonState::Pressed;
    selected = true;
  }
  // A release over the button is a click: it stays pressed and selected. Anywhere else the press
  // is called off and the button is as it was before it: a mode button dragged off still shows
  // the mode the dialog is in.
  void OnRelease(bool overThisButton) {
    if (overThisButton && selected) {
      state = ButtonState::Pressed;
    } else {
      state = ButtonState::Idle;
      selected = selectedBeforePress;
    }
  }
  void Reset() {
    state = ButtonState::Idle;
    selected = selectedBeforePress = false;
  }
};

ButtonFace ChooseFace(const BitButtonModel& button, bool disabled);

}  // namespace orvelle
