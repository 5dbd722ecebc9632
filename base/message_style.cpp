#include "base/message_style.h"

#include "base/texts.h"

namespace orvelle {

MessageStyle StyleOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Question:
      return {Text(TextId::AppTitle), kMessageOkCancel | kMessageIconQuestion};
    case MessageKind::YesNo:
      return {Text(TextId::AppTitle), kMessageYesNo | kMessageIconQuestion};
    case MessageKind::Warning:
      return {Text(TextId::AppTitle), kMessageOk | kMessageIconWarning};
    case MessageKind::Error:
      return {Text(TextId::AppTitle), kMessageOk | kMessageIconError};
    case MessageKind::Information:
      break;
  }
  return {Text(TextId::AppTitle), kMessageOk | kMessageIconInformation};
}

}  // namespace orvelle
