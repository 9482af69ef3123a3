#include "pppoe/pppoe_entry.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"
#include "image_bytes.h"

namespace verolink::testing {
namespace {

using PPPoE::CreatePPPoEEntry;
using PPPoE::PPPoEEntryRecord;

Profile PelkarProfile() {
  return Profile{u"Pelkar", u"http://www.verolink.example/", u"Pelkar INTERNET", u"pelkar"};
}

const char kMiniportAnsi[] = "\xCC\xE8\xED\xE8\xEF\xEE\xF0\xF2 WAN (PPPoE)";  // in cp1251

TEST(PPPoEEntryRecord, HoldsTheFixedBroadbandValuesAndNothingElse) {
  RasEntryRecord expected;
  expected.dwfOptions = 0x3D0D0310;
  expected.szLocalPhoneNumber = u"pelkar";
  expected.dwfNetProtocols = 4;
  expected.dwFramingProtocol = 1;
  expected.szDeviceType = u"PPPoE";
  expected.szDeviceName = u"Минипорт WAN (PPPoE)";
  expected.dwType = 5;
  expected.dwEncryptionType = 3;
  expected.dwVpnStrategy = 2;
  EXPECT_EQ(PPPoEEntryRecord(PelkarProfile()), expected);
}

TEST(CreatePPPoEEntry, WritesUnderTheTrimmedNameWithTheTrimmedServiceName) {
  FakePlatform fake;
  Platform p = fake.platform();
  Profile profile = PelkarProfile();
  profile.ConnectionName = u"  Pelkar INTERNET ";
  profile.ServiceName = u" pelkar  ";
  EXPECT_TRUE(CreatePPPoEEntry(p, profile));
  ASSERT_EQ(fake.phonebook.writes.size(), 1u);
  const auto& write = fake.phonebook.writes[0];
  EXPECT_EQ(write.entryName, "Pelkar INTERNET");
  EXPECT_EQ(write.phonebook, std::nullopt);
  EXPECT_EQ(TextAt(write.image, 27), "pelkar");
  EXPECT_EQ(TextAt(write.image, 972), "PPPoE");
  EXPECT_EQ(TextAt(write.image, 989), kMiniportAnsi);
  EXPECT_EQ(U32At(write.image, 4), 0x3D0D0310u);
  EXPECT_EQ(U32At(write.image, 184), 4u);
  EXPECT_EQ(U32At(write.image, 188), 1u);
  EXPECT_EQ(U32At(write.image, 1796), 5u);
  EXPECT_EQ(U32At(write.image, 1800), 3u);
  EXPECT_EQ(U32At(write.image, 2084), 2u);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

// The miniport's name differs between language editions: the listed PPPoE
// device is written only where the built-in name is not listed.
TEST(CreatePPPoEEntry, WritesTheListedPPPoEDeviceWhereTheBuiltInNameIsNotListed) {
  const RasDevice english{"PPPoE", "WAN Miniport (PPPOE)"};
  const RasDevice russian{"PPPoE", kMiniportAnsi};
  const RasDevice modem{"modem", "Standard Modem"};
  struct Case {
    const char* what;
    std::vector<RasDevice> devices;
    RasError result;
    std::string written;
  };
  const std::vector<Case> cases = {
      {"no devices listed", {}, kRasSuccess, kMiniportAnsi},
      {"an English edition", {modem, english}, kRasSuccess, english.name},
      {"the type in another letter case",
       {{"PPPOE", "WAN Miniport (PPPOE)"}},
       kRasSuccess,
       english.name},
      {"the built-in name listed after another", {english, russian}, kRasSuccess, kMiniportAnsi},
      {"no PPPoE device", {modem}, kRasSuccess, kMiniportAnsi},
      {"a failed listing", {english}, 5, kMiniportAnsi},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    Platform p = fake.platform();
    fake.phonebook.devices = c.devices;
    fake.phonebook.devicesResult = c.result;
    EXPECT_TRUE(CreatePPPoEEntry(p, PelkarProfile())) << c.what;
    EXPECT_EQ(fake.phonebook.deviceListings, 1) << c.what;
    EXPECT_EQ(TextAt(fake.phonebook.writes.at(0).image, 989), c.written) << c.what;
  }
}

TEST(CreatePPPoEEntry, OlderLayoutsGetNoTypeOrSecurityMembers) {
  for (const std::uint32_t size : {1672u, 1796u}) {
    FakePlatform fake;
    Platform p = fake.platform();
    fake.phonebook.reportedEntrySize = size;
    EXPECT_TRUE(CreatePPPoEEntry(p, PelkarProfile()));
    const auto& image = fake.phonebook.writes.at(0).image;
    EXPECT_EQ(TextAt(image, 989), kMiniportAnsi);
    for (std::size_t i = 1796; i < image.size(); ++i) ASSERT_EQ(image[i], 0) << size << "@" << i;
  }
}

TEST(CreatePPPoEEntry, FailureShowsTheErrorsTextUnderTheApplicationTitle) {
  struct Case {
    RasError query, set;
    const char* text;
  };
  // Above 600 the phonebook's own text, up to 600 the system's. A number without a text is shown by
  // its number.
  for (const Case c : {Case{kErrorBufferTooSmall, 621, "Cannot open the phone book file."},
                       Case{5, 0, "Access is denied."},
                       Case{kErrorBufferTooSmall, kErrorInvalidSize, "Ошибка 632."}}) {
    FakePlatform fake;
    Platform p = fake.platform();
    fake.phonebook.queryResult = c.query;
    fake.phonebook.setResult = c.set;
    fake.phonebook.errorTexts[621] = "Cannot open the phone book file.";
    fake.systemMessages.texts[5] = "Access is denied.";
    EXPECT_FALSE(CreatePPPoEEntry(p, PelkarProfile()));
    ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(ToUtf8(fake.messageBoxes.shown[0].text), c.text);
    EXPECT_EQ(fake.messageBoxes.shown[0].style, kMbOkOnly);
    EXPECT_EQ(fake.messageBoxes.shown[0].title, u"Verolink");
  }
}

TEST(CreatePPPoEEntry, SizeQueryWithoutASizeIsAFailureNotSuccess) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.phonebook.queryResult = kRasSuccess;
  EXPECT_FALSE(CreatePPPoEEntry(p, PelkarProfile()));
  EXPECT_TRUE(fake.phonebook.writes.empty());
  EXPECT_EQ(fake.phonebook.errorTextCalls, std::vector<std::uint32_t>{632});
  EXPECT_EQ(fake.messageBoxes.shown.size(), 1u);
}

}  // namespace
}  // namespace verolink::testing
