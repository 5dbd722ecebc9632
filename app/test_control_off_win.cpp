// The program itself takes no test commands.
#include "app/test_control_win.h"

namespace orvelle {

LRESULT AnswerTestCommand(const TestControlTargets&, const COPYDATASTRUCT*, bool& handled) {
  handled = false;
  return 0;
}

}  // namespace orvelle
