#include "app/command_line.h"

#include <string>

#include "app/autostart.h"
#include "base/text.h"
#include "base/texts.h"

namespace orvelle {
namespace {

// More than any sensible line holds; a longer one is refused rather than queued.
constexpr size_t kMaxCommands = 16;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::vector<std::wstring_view> Words(std::wstring_view text) {
  std::vector<std::wstring_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    const size_t start = at;
    while (at < text.size() && !IsBlank(text[at])) ++at;
    if (at > start) words.push_back(text.substr(start, at - start));
  }
  return words;
}

bool IsSwitch(std::wstring_view word, std::wstring_view name) {
  return word.size() == name.size() + 1 && (word[0] == L'/' || word[0] == L'-') &&
         EqualAsciiNoCase(word.substr(1), name);
}

std::optional<RemoteCommand> ProfileValue(std::wstring_view value) {
  if (value == L"1") return RemoteCommand::Profile1;
  if (value == L"2") return RemoteCommand::Profile2;
  if (value == L"3") return RemoteCommand::Profile3;
  if (EqualAsciiNoCase(value, L"next")) return RemoteCommand::NextProfile;
  return std::nullopt;
}

std::optional<RemoteCommand> PauseValue(std::wstring_view value) {
  if (EqualAsciiNoCase(value, L"on")) return RemoteCommand::PauseOn;
  if (EqualAsciiNoCase(value, L"off")) return RemoteCommand::PauseOff;
  if (EqualAsciiNoCase(value, L"toggle")) return RemoteCommand::PauseToggle;
  return std::nullopt;
}

}  // namespace

std::optional<RemoteCommand> RemoteCommandOfNumber(long long number) {
  if (number < static_cast<int>(RemoteCommand::Profile1) || number > static_cast<int>(RemoteCommand::PauseToggle)) {
    return std::nullopt;
  }
  return static_cast<RemoteCommand>(number);
}

CommandLine ParseCommandLine(std::wstring_view arguments) {
  CommandLine line;
  const std::vector<std::wstring_view> words = Words(arguments);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::wstring_view word = words[i];
    if (word == kElevatedRestartArgument) {
      line.elevatedRestart = true;
      continue;
    }
    const bool profile = IsSwitch(word, L"profile");
    const bool pause = IsSwitch(word, L"pause");
    const std::optional<RemoteCommand> command =
        !(profile || pause) || i + 1 >= words.size() ? std::nullopt
        : profile                                    ? ProfileValue(words[i + 1])
                                                     : PauseValue(words[i + 1]);
    if (!command || line.commands.size() >= kMaxCommands) return CommandLine{false, false, {}};
    line.commands.push_back(*command);
    ++i;
  }
  return line;
}

ProfileTarget ProfileTargetOf(RemoteCommand command) {
  switch (command) {
    case RemoteCommand::Profile1: return ProfileTarget::One;
    case RemoteCommand::Profile2: return ProfileTarget::Two;
    case RemoteCommand::Profile3: return ProfileTarget::Three;
    case RemoteCommand::NextProfile: return ProfileTarget::Next;
    default: return ProfileTarget::None;
  }
}

std::optional<bool> PauseWanted(RemoteCommand command, bool pausedNow) {
  switch (command) {
    case RemoteCommand::PauseOn: return true;
    case RemoteCommand::PauseOff: return false;
    case RemoteCommand::PauseToggle: return !pausedNow;
    default: return std::nullopt;
  }
}

std::wstring_view CommandLineUsage() { return Text(TextId::CommandLineUsage); }

}  // namespace orvelle
