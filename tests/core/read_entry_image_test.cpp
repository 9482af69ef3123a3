#include "phonebook/read_entry_image.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"

namespace verolink::testing {
namespace {

using modRASVPN::BuildEntryImage;
using modRASVPN::ReadEntryImage;

// Every member of the record holds a value of its own, texts longer than any
// field, and alternate numbers follow the structure.
RasEntryRecord Distinct() {
  RasEntryRecord r;
  std::uint32_t n = 1;
  for (std::uint32_t* m : {&r.dwfOptions,
                           &r.dwCountryID,
                           &r.dwCountryCode,
                           &r.dwFrameSize,
                           &r.dwfNetProtocols,
                           &r.dwFramingProtocol,
                           &r.dwChannels,
                           &r.dwSubEntries,
                           &r.dwDialMode,
                           &r.dwDialExtraPercent,
                           &r.dwDialExtraSampleSeconds,
                           &r.dwHangUpExtraPercent,
                           &r.dwHangUpExtraSampleSeconds,
                           &r.dwIdleDisconnectSeconds,
                           &r.dwType,
                           &r.dwEncryptionType,
                           &r.dwCustomAuthKey,
                           &r.dwVpnStrategy,
                           &r.dwfOptions2,
                           &r.dwfOptions3}) {
    *m = 0x01020300u + n++;
  }
  char16_t letter = u'a';
  for (Text* t :
       {&r.szAreaCode, &r.szLocalPhoneNumber, &r.szScript, &r.szAutodialDll, &r.szAutodialFunc,
        &r.szDeviceType, &r.szDeviceName, &r.szX25PadType, &r.szX25Address, &r.szX25Facilities,
        &r.szX25UserData, &r.szCustomDialDll, &r.szDnsSuffix}) {
    *t = Text(300, letter++);
  }
  r.AlternateNumbers = u"123-45";
  r.ipaddrDns = {10, 0, 0, 1};
  r.ipaddrWinsAlt = {192, 168, 1, 254};
  for (std::uint8_t i = 0; i < 16; ++i) r.guidId[i] = static_cast<std::uint8_t>(0xA0 + i);
  return r;
}

class ImageReadBack : public ::testing::TestWithParam<std::uint32_t> {};

// Reading an image and laying the record out again gives the same bytes, so
// every member the size holds is read from where it was written.
TEST_P(ImageReadBack, ReadsEveryMemberFromWhereItWasWritten) {
  const FakeCodePage cp;
  const std::uint32_t size = GetParam();
  const auto image = BuildEntryImage(Distinct(), size, cp);
  RasEntryRecord read;
  ASSERT_EQ(ReadEntryImage(image, size, cp, read), kRasSuccess);
  EXPECT_EQ(read.dwSize, size);
  EXPECT_EQ(read.AlternateNumbers, u"123-45");
  EXPECT_EQ(read.szAreaCode, Text(10, u'a'));  // cut, the last byte kept for the zero
  EXPECT_EQ(read.dwType != 0, size > 1796);
  EXPECT_EQ(read.szDnsSuffix.empty(), size <= 2088);
  EXPECT_EQ(BuildEntryImage(read, size, cp), image);
}

INSTANTIATE_TEST_SUITE_P(ReportedSizes, ImageReadBack,
                         ::testing::Values(1672u, 1768u, 1796u, 2088u, 2884u));

TEST(ImageReadBack, ThePppoeEntryComesBackWhole) {
  const FakeCodePage cp;
  RasEntryRecord entry = PPPoE::PPPoEEntryRecord(basMain::BuiltInProfile());
  const auto image = BuildEntryImage(entry, 2884, cp);
  RasEntryRecord read;
  ASSERT_EQ(ReadEntryImage(image, 2884, cp, read), kRasSuccess);
  entry.dwSize = 2884;
  EXPECT_EQ(read, entry);
}

TEST(ImageReadBack, RefusesImagesThatDoNotHoldTheirLayout) {
  const FakeCodePage cp;
  auto image = BuildEntryImage(Distinct(), 2884, cp);
  RasEntryRecord read;
  read.dwType = 7;
  EXPECT_EQ(ReadEntryImage(image, 1700, cp, read), kErrorInvalidSize);  // no such layout
  EXPECT_EQ(ReadEntryImage(image, 2088, cp, read), kErrorInvalidSize);  // size field differs
  EXPECT_EQ(ReadEntryImage(std::span(image).first(2000), 2884, cp, read), 610);
  // The list's offset inside the structure, then past the image's end.
  image[156] = 4;
  image[157] = 0;
  EXPECT_EQ(ReadEntryImage(image, 2884, cp, read), 610);
  image[156] = 0xFF;
  image[157] = 0xFF;
  EXPECT_EQ(ReadEntryImage(image, 2884, cp, read), 610);
  // A list without its two closing zero bytes.
  auto open = BuildEntryImage(Distinct(), 2884, cp);
  open.resize(open.size() - 2);
  EXPECT_EQ(ReadEntryImage(open, 2884, cp, read), 610);
  EXPECT_EQ(read.dwType, 7u);  // left as it was
}

}  // namespace
}  // namespace verolink::testing
