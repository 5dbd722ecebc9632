#include "model/shown_names.h"

#include <array>
#include <type_traits>

#include "base/text.h"
#include "base/texts.h"
#include "model/profile_data.h"

namespace orvelle {
namespace {

// In the order of kCommandTable and kMediaTable.
constexpr std::array<TextId, 13> kCommandTexts = {
    TextId::CommandOpen,  TextId::CommandNew,    TextId::CommandUndo,      TextId::CommandSave,
    TextId::CommandCopy,  TextId::CommandCut,    TextId::CommandPaste,     TextId::CommandFind,
    TextId::CommandSelectAll, TextId::CommandZoomIn, TextId::CommandZoomOut, TextId::CommandMinimize,
    TextId::CommandMaximize,
};
constexpr std::array<TextId, 7> kMediaTexts = {
    TextId::MediaPlayPause, TextId::MediaPrevious, TextId::MediaNext,    TextId::MediaRefresh,
    TextId::MediaStop,      TextId::MediaBack,     TextId::MediaForward,
};
static_assert(kCommandTexts.size() == std::tuple_size_v<std::remove_cv_t<decltype(kCommandTable)>> &&
              kMediaTexts.size() == std::tuple_size_v<std::remove_cv_t<decltype(kMediaTable)>>);

}  // namespace

std::wstring_view ShownCommandName(int row) {
  if (row < 0 || row >= static_cast<int>(kCommandTexts.size())) return {};
  return Text(kCommandTexts[static_cast<size_t>(row)]);
}

std::wstring_view ShownCommandName(std::wstring_view stored) {
  const std::optional<int> row = FindCommand(stored);
  return row ? ShownCommandName(*row) : stored;
}

std::wstring_view ShownMediaName(int row) {
  if (row < 0 || row >= static_cast<int>(kMediaTexts.size())) return {};
  return Text(kMediaTexts[static_cast<size_t>(row)]);
}

std::wstring_view ShownMediaName(std::wstring_view stored) {
  for (size_t row = 0; row < kMediaTable.size(); ++row) {
    if (EqualIgnoringTrailingBlanks(kMediaTable[row], stored)) {
      return ShownMediaName(static_cast<int>(row));
    }
  }
  return stored;
}

}  // namespace orvelle
