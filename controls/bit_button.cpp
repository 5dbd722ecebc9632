#include "controls/bit_button.h"

namespace orvelle {

ButtonFace ChooseFace(const BitButtonModel& button, bool disabled) {
  if (button.toggle && button.sticky && button.selected) return ButtonFace::Pressed;
  if (disabled) return ButtonFace::Disabled;
  switch (button.state) {
    case ButtonState::Hover:
      return ButtonFace::Hover;
    case ButtonState::Pressed:
      return ButtonFace::Pressed;
    case ButtonState::Idle:
      break;
  }
  return button.sticky && button.selected ? ButtonFace::Pressed : ButtonFace::Normal;
}

}  // namespace orvelle
