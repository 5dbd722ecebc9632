// The "Menu" button's menu.
#include <gtest/gtest.h>

#include "app/popup_menus.h"

namespace orvelle {
namespace {

TEST(TapTimeMenu, OneCheckedChoiceAndTheStoredValueAmongThem) {
  auto labels = [](int ms) {
    std::wstring all;
    for (const TapTimeChoice& c : TapTimeChoices(ms)) all += (c.checked ? L"[" : L"") + c.label + (c.checked ? L"] " : L" ");
    return all;
  };
  EXPECT_EQ(labels(0), L"[выкл.] 10 мс 20 мс 35 мс 50 мс ");
  EXPECT_EQ(labels(35), L"выкл. 10 мс 20 мс [35 мс] 50 мс ");
  EXPECT_EQ(labels(25), L"выкл. 10 мс 20 мс [25 мс] 35 мс 50 мс ") << "a hand-edited value shows where it belongs";
}

}  // namespace
}  // namespace orvelle
