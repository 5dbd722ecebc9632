#include "app/popup_menus.h"

#include <algorithm>

#include "base/texts.h"

namespace orvelle {

std::vector<TapTimeChoice> TapTimeChoices(int currentMs) {
  // 20 ms outlasts a 60 Hz frame, 35 ms a 30 Hz one.
  std::vector<int> values = {0, 10, 20, 35, 50};
  if (std::find(values.begin(), values.end(), currentMs) == values.end()) {
    values.insert(std::upper_bound(values.begin(), values.end(), currentMs), currentMs);
  }
  std::vector<TapTimeChoice> choices;
  for (int ms : values) {
    choices.push_back({ms, ms == 0 ? std::wstring(Text(TextId::TapTimeOff)) : std::to_wstring(ms) + std::wstring(Text(TextId::TapTimeMs)), ms == currentMs});
  }
  return choices;
}

}  // namespace orvelle
