// What a start of the program asks for on its command line.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace orvelle {
namespace {

using C = RemoteCommand;

TEST(CommandLine, SwitchesAndTheirValuesAreReadInOrder) {
  struct Case {
    const wchar_t* line;
    std::vector<RemoteCommand> commands;
    bool elevatedRestart;
  } cases[] = {
      {L"", {}, false},
      {L"   ", {}, false},
      {L"/profile 2", {C::Profile2}, false},
      {L"-PROFILE  next", {C::NextProfile}, false},
      {L"/Profile Next", {C::NextProfile}, false},
      {L"/pause on", {C::PauseOn}, false},
      {L"/pause OFF\t/profile 3", {C::PauseOff, C::Profile3}, false},
      {L"/pause toggle /pause toggle", {C::PauseToggle, C::PauseToggle}, false},
      {L"/elevated-restart", {}, true},
      {L"/elevated-restart /profile 1", {C::Profile1}, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.line);
    EXPECT_TRUE(line.valid) << testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(line.commands, c.commands) << testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(line.elevatedRestart, c.elevatedRestart) << testing::PrintToString(std::wstring(c.line));
  }
}

TEST(CommandLine, AnythingElseMakesTheWholeLineInvalid) {
  const wchar_t* lines[] = {
      L"/profile",          L"/profile 4",          L"/profile 0",      L"/profile 02",   L"/profile previous",
      L"/pause",            L"/pause yes",          L"/pause 1",        L"profile 1",     L"/profiles 1",
      L"/profile 1 extra",  L"/pause on /profile",  L"\"/profile\" 1",  L"/p 1",          L"/?",
      L"/profile 1 /pause maybe", L"/elevated-restarted", L"x/elevated-restart",
  };
  for (const wchar_t* text : lines) {
    const CommandLine line = ParseCommandLine(text);
    EXPECT_FALSE(line.valid) << testing::PrintToString(std::wstring(text));
    EXPECT_TRUE(line.commands.empty()) << "nothing of an invalid line is done";
  }
  std::wstring many;
  for (int i = 0; i < 17; ++i) many += L"/profile next ";
  EXPECT_FALSE(ParseCommandLine(many).valid) << "a line of more commands than any sensible one";
  EXPECT_FALSE(CommandLineUsage().empty());
}

TEST(CommandLine, TheNumbersThatTravelBetweenInstancesAreStable) {
  for (long long n = 1; n <= 7; ++n) EXPECT_EQ(static_cast<long long>(*RemoteCommandOfNumber(n)), n);
  for (long long n : {0LL, 8LL, -1LL, 1LL << 40}) EXPECT_FALSE(RemoteCommandOfNumber(n)) << n;
}

TEST(CommandLine, EachCommandActsAsAProfileKeyWould) {
  struct Case {
    RemoteCommand command;
    ProfileTarget target;
    std::optional<bool> pauseWhenOn, pauseWhenOff;
  } cases[] = {
      {C::Profile1, ProfileTarget::One, std::nullopt, std::nullopt},
      {C::Profile2, ProfileTarget::Two, std::nullopt, std::nullopt},
      {C::Profile3, ProfileTarget::Three, std::nullopt, std::nullopt},
      {C::NextProfile, ProfileTarget::Next, std::nullopt, std::nullopt},
      {C::PauseOn, ProfileTarget::None, true, true},
      {C::PauseOff, ProfileTarget::None, false, false},
      {C::PauseToggle, ProfileTarget::None, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProfileTargetOf(c.command), c.target) << static_cast<int>(c.command);
    EXPECT_EQ(PauseWanted(c.command, true), c.pauseWhenOn) << static_cast<int>(c.command);
    EXPECT_EQ(PauseWanted(c.command, false), c.pauseWhenOff) << static_cast<int>(c.command);
  }
}

}  // namespace
}  // namespace orvelle
