#include "base/message_style.h"

#include "base/ui_texts.h"

namespace orvelle {

MessageStyle StyleOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Question:
      return {ui_text::kAppTitle, kMessageOkCancel | kMessageIconQuestion};
    case MessageKind::YesNo:
      return {ui_text::kAppTitle, kMessageYesNo | kMessageIconQuestion};
    case MessageKind::Warning:
      return {ui_text::kAppTitle, kMessageOk | kMessageIconWarning};
    case MessageKind::Error:
      return {ui_text::kAppTitle, kMessageOk | kMessageIconError};
    case MessageKind::Information:
      break;
  }
  return {ui_text::kAppTitle, kMessageOk | kMessageIconInformation};
}

}  // namespace orvelle
