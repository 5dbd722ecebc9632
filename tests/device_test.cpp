// Keyboard presence: vendor IDs in device paths, what a notice means, the enumeration walk.
#include <gtest/gtest.h>

#include "device/presence.h"

namespace orvelle {
namespace {

TEST(DevicePaths, VendorIdIsReadAfterVid) {
  struct Case {
    std::wstring path;
    std::optional<int> vendor;
  } cases[] = {
      {L"\\\\?\\hid#vid_1a2c&pid_2107&mi_01&col06#7&1b2c3d4&0&0005#{4d1e55b2-f16f-11cf-88cb-001111000030}", 0x1A2C},
      {L"\\\\?\\HID#VID_1A2C&PID_2107#7&abc", 0x1A2C},
      {L"\\\\?\\hid#vid_1a2c&pid_0001#x", 0x1A2C},  // another product of the same vendor
      {L"\\\\?\\hid#vid_845e&pid_0001#x", 0x845E},  // Wine's own virtual devices
      {L"\\\\?\\hid#vid_1a2cff&pid_1#x", 0x1A2C},   // bytes past the second are ignored
      {L"\\\\?\\hid#vid_1a2&pid_1#x", std::nullopt},  // three digits make one byte
      {L"\\\\?\\hid#vid_1g2c&pid_1#x", std::nullopt},
      {L"\\\\?\\hid#pid_2107#x", std::nullopt},        // no vendor at all
      {L"vid", std::nullopt},
      {L"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(VendorIdFromPath(c.path), c.vendor) << std::string(c.path.begin(), c.path.end());
}

TEST(DevicePaths, HexParsing) {
  EXPECT_EQ(HexToBytes(L"1a2c"), (std::vector<unsigned char>{0x1A, 0x2C}));
  EXPECT_EQ(HexToBytes(L"1A2C"), (std::vector<unsigned char>{0x1A, 0x2C}));
  EXPECT_EQ(HexToBytes(L"1a2"), (std::vector<unsigned char>{0x1A}));
  EXPECT_TRUE(HexToBytes(L"1g2c").empty());
  EXPECT_EQ(HexDigitValue(L'0'), 0);
  EXPECT_EQ(HexDigitValue(L'f'), 15);
  EXPECT_EQ(HexDigitValue(L'F'), 15);
  EXPECT_EQ(HexDigitValue(L'g'), 16);
  EXPECT_EQ(HexDigitValue(L'/'), 16);
}

TEST(DeviceNotices, OnlyInterfaceNoticesOfTheVendorCount) {
  const std::wstring ours = L"\\\\?\\hid#vid_1a2c&pid_2107#1";
  const std::wstring other = L"\\\\?\\hid#vid_845e&pid_0001#1";
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::Arrival, 5, ours), PresenceChange::Arrived);
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::RemoveComplete, 5, ours), PresenceChange::Left);
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::Arrival, 5, other), PresenceChange::None);
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::Arrival, 2, ours), PresenceChange::None);
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::Other, 5, ours), PresenceChange::None);
  EXPECT_EQ(DecideDeviceNotice(DeviceEvent::Arrival, 5, L"\\\\?\\hid#nothing"), PresenceChange::None);
}

TEST(DeviceEnumeration, FirstMatchEndsTheWalkAndUnreadableInterfacesAreSkipped) {
  struct Case {
    std::vector<std::optional<int>> interfaces;
    bool found;
    size_t visited;
  } cases[] = {
      {{}, false, 0},
      {{0x845E, 0x845E}, false, 2},
      {{std::nullopt, 0x1A2C, 0x1A2C}, true, 2},
      {{0x1A2C, 0x845E}, true, 1},
      {{std::nullopt, std::nullopt}, false, 2},
  };
  for (const Case& c : cases) {
    size_t visited = 0;
    const bool found = FindSupportedKeyboard([&](std::optional<int>& vendor) {
      if (visited >= c.interfaces.size()) return false;
      vendor = c.interfaces[visited++];
      return true;
    });
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(visited, c.visited);
  }
}

}  // namespace
}  // namespace orvelle
