#pragma once

#include <string>
#include <vector>

namespace orvelle {

// The "Menu" button's choices for the key hold time: off, the usual frame times, and the stored
// value when a hand-edited file holds one of its own. Exactly one is checked.
struct TapTimeChoice {
  int ms;
  std::wstring label;
  bool checked;
  bool operator==(const TapTimeChoice&) const = default;
};
std::vector<TapTimeChoice> TapTimeChoices(int currentMs);


}  // namespace orvelle
