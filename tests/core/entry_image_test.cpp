#include <gtest/gtest.h>

#include <cstring>

#include "doubles/fake_platform.h"
#include "image_bytes.h"
#include "phonebook/set_ras_entry.h"

namespace verolink::testing {
namespace {

using modRASVPN::BuildEntryImage;
using modRASVPN::CopyStringToBuffer;
using modRASVPN::SetRasEntry;

// Every member set: a 32-bit member of row n holds n in each of its bytes,
// an address of row n the bytes n, n+0x10, n+0x20, n+0x30, and a text of row
// n is 300 copies of one letter, longer than any field.
constexpr std::uint32_t Row(std::uint32_t n) { return n * 0x01010101u; }
RasIpAddress AddressRow(std::uint8_t n) {
  return {n, static_cast<std::uint8_t>(n + 0x10), static_cast<std::uint8_t>(n + 0x20),
          static_cast<std::uint8_t>(n + 0x30)};
}
char Letter(int row) { return static_cast<char>('A' + row % 26); }
Text TextRow(int row) { return Text(300, static_cast<char16_t>(Letter(row))); }

RasEntryRecord FullRecord() {
  RasEntryRecord r;
  r.dwSize = 0xDEADBEEF;
  r.dwfOptions = Row(2);
  r.dwCountryID = Row(3);
  r.dwCountryCode = Row(4);
  r.szAreaCode = TextRow(5);
  r.szLocalPhoneNumber = TextRow(6);
  r.ipaddr = AddressRow(8);
  r.ipaddrDns = AddressRow(9);
  r.ipaddrDnsAlt = AddressRow(10);
  r.ipaddrWins = AddressRow(11);
  r.ipaddrWinsAlt = AddressRow(12);
  r.dwFrameSize = Row(13);
  r.dwfNetProtocols = Row(14);
  r.dwFramingProtocol = Row(15);
  r.szScript = TextRow(16);
  r.szAutodialDll = TextRow(17);
  r.szAutodialFunc = TextRow(18);
  r.szDeviceType = TextRow(19);
  r.szDeviceName = TextRow(20);
  r.szX25PadType = TextRow(21);
  r.szX25Address = TextRow(22);
  r.szX25Facilities = TextRow(23);
  r.szX25UserData = TextRow(24);
  r.dwChannels = Row(25);
  r.dwSubEntries = Row(26);
  r.dwDialMode = Row(27);
  r.dwDialExtraPercent = Row(28);
  r.dwDialExtraSampleSeconds = Row(29);
  r.dwHangUpExtraPercent = Row(30);
  r.dwHangUpExtraSampleSeconds = Row(31);
  r.dwIdleDisconnectSeconds = Row(32);
  r.dwType = Row(33);
  r.dwEncryptionType = Row(34);
  r.dwCustomAuthKey = Row(35);
  for (int i = 0; i < 16; ++i) r.guidId[i] = static_cast<std::uint8_t>(0x60 + i);
  r.szCustomDialDll = TextRow(37);
  r.dwVpnStrategy = Row(38);
  r.dwfOptions2 = Row(39);
  r.dwfOptions3 = Row(40);
  r.szDnsSuffix = TextRow(41);
  r.dwTcpWindowSize = Row(42);
  r.szPrerequisitePbk = TextRow(43);
  r.szPrerequisiteEntry = TextRow(44);
  r.dwRedialCount = Row(45);
  r.dwRedialPause = Row(46);
  return r;
}

// The image of FullRecord() written out from the layout table by hand: each
// text keeps its field's last byte for the terminating zero.
class ExpectedImage {
 public:
  explicit ExpectedImage(std::uint32_t size) : bytes(size + 2, 0) {
    const std::uint32_t w = size == 1672 ? 33 : 129;
    U32(0, size);
    U32(4, Row(2));
    U32(8, Row(3));
    U32(12, Row(4));
    Str(16, 5, 10);
    Str(27, 6, 128);
    for (std::uint8_t row = 8; row <= 12; ++row) {
      const RasIpAddress a = AddressRow(row);
      const std::uint8_t at[] = {a.a, a.b, a.c, a.d};
      std::memcpy(&bytes[160 + 4 * (row - 8)], at, 4);
    }
    U32(180, Row(13));
    U32(184, Row(14));
    U32(188, Row(15));
    Str(192, 16, 259);
    Str(452, 17, 259);
    Str(712, 18, 259);
    Str(972, 19, 16);
    Str(989, 20, w - 1);
    Str(989 + w, 21, 32);
    Str(1022 + w, 22, 200);
    Str(1223 + w, 23, 200);
    Str(1424 + w, 24, 200);
    U32(1627 + w, Row(25));
    if (size > 1768) {
      for (std::uint32_t row = 26; row <= 32; ++row) U32(1768 + 4 * (row - 26), Row(row));
    }
    if (size > 1796) {
      U32(1796, Row(33));
      U32(1800, Row(34));
      U32(1804, Row(35));
      for (int i = 0; i < 16; ++i) bytes[1808 + i] = static_cast<std::uint8_t>(0x60 + i);
      Str(1824, 37, 259);
      U32(2084, Row(38));
    }
    if (size > 2088) {
      U32(2088, Row(39));
      U32(2092, Row(40));
      Str(2096, 41, 255);
    }
  }
  std::vector<std::uint8_t> bytes;

 private:
  void U32(std::uint32_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); }
  void Str(std::uint32_t at, int row, std::uint32_t n) { std::memset(&bytes[at], Letter(row), n); }
};

class EntryImage : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(EntryImage, MatchesTheLayoutTableByteForByte) {
  const FakeCodePage cp;
  const std::uint32_t size = GetParam();
  const auto image = BuildEntryImage(FullRecord(), size, cp);
  ASSERT_EQ(image.size(), size + 2u);
  EXPECT_EQ(FirstDifference(image, ExpectedImage(size).bytes), -1);
}

INSTANTIATE_TEST_SUITE_P(ReportedSizes, EntryImage,
                         ::testing::Values(1672u, 1768u, 1796u, 2088u, 2884u));

bool ZeroFrom(const std::vector<std::uint8_t>& image, std::size_t offset) {
  for (std::size_t i = offset; i < image.size(); ++i) {
    if (image[i] != 0) return false;
  }
  return true;
}

TEST(EntryImageEdges, OldestLayoutHasNarrowDeviceNameAndNothingPastChannels) {
  const FakeCodePage cp;
  const auto image = BuildEntryImage(FullRecord(), 1672, cp);
  EXPECT_EQ(TextAt(image, 989), std::string(32, Letter(20)));  // cut to 32 + zero
  EXPECT_EQ(TextAt(image, 1022), std::string(32, Letter(21)));
  EXPECT_EQ(TextAt(image, 1055), std::string(200, Letter(22)));
  EXPECT_EQ(TextAt(image, 1256), std::string(200, Letter(23)));
  EXPECT_EQ(TextAt(image, 1457), std::string(200, Letter(24)));
  EXPECT_EQ(U32At(image, 1660), Row(25));
  EXPECT_TRUE(ZeroFrom(image, 1664));
}

TEST(EntryImageEdges, DialTypeAndSuffixMembersNeedStrictlyLargerSizes) {
  const FakeCodePage cp;
  const auto at1768 = BuildEntryImage(FullRecord(), 1768, cp);
  EXPECT_EQ(TextAt(at1768, 989), std::string(128, Letter(20)));
  EXPECT_EQ(U32At(at1768, 1756), Row(25));
  EXPECT_TRUE(ZeroFrom(at1768, 1760));

  const auto at1796 = BuildEntryImage(FullRecord(), 1796, cp);
  EXPECT_EQ(U32At(at1796, 1768), Row(26));
  EXPECT_EQ(U32At(at1796, 1792), Row(32));
  EXPECT_TRUE(ZeroFrom(at1796, 1796));

  const auto at2088 = BuildEntryImage(FullRecord(), 2088, cp);
  EXPECT_EQ(U32At(at2088, 1796), Row(33));
  EXPECT_EQ(U32At(at2088, 2084), Row(38));
  EXPECT_TRUE(ZeroFrom(at2088, 2088));

  const auto at2884 = BuildEntryImage(FullRecord(), 2884, cp);
  EXPECT_EQ(TextAt(at2884, 2096), std::string(255, Letter(41)));
  EXPECT_TRUE(ZeroFrom(at2884, 2096 + 256));  // the later members are never written
}

TEST(EntryImageEdges, SizeThatCannotHoldItsMembersHasNoImage) {
  const FakeCodePage cp;
  EXPECT_TRUE(BuildEntryImage(FullRecord(), 1700, cp).empty());
  EXPECT_TRUE(BuildEntryImage(FullRecord(), 0, cp).empty());
}

TEST(AlternateNumbers, EmptyListLeavesOffsetZeroAndAddsOnlyTheClosingZeros) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.phonebook.reportedEntrySize = 1796;
  ASSERT_EQ(SetRasEntry(p, u"Pelkar INTERNET", RasEntryRecord{}, Text()), kRasSuccess);
  ASSERT_EQ(fake.phonebook.writes.size(), 1u);
  const auto& write = fake.phonebook.writes[0];
  EXPECT_EQ(write.image.size(), 1798u);
  EXPECT_EQ(write.entrySize, 1796u);
  EXPECT_EQ(U32At(write.image, 0), 1796u);
  EXPECT_EQ(U32At(write.image, 156), 0u);
}

TEST(AlternateNumbers, AreAppendedAfterTheStructureAndCountedOutOfTheEntrySize) {
  FakePlatform fake;
  Platform p = fake.platform();
  RasEntryRecord r;
  r.AlternateNumbers = u"0123456789";
  ASSERT_EQ(SetRasEntry(p, u"Pelkar INTERNET", r, Text()), kRasSuccess);
  const auto& write = fake.phonebook.writes.at(0);
  EXPECT_EQ(write.image.size(), 2884u + 10 + 2);
  EXPECT_EQ(write.entrySize, 2884u);
  EXPECT_EQ(U32At(write.image, 156), 2884u);
  EXPECT_EQ(TextAt(write.image, 2884), "0123456789");
  EXPECT_EQ(write.image[2894], 0);
  EXPECT_EQ(write.image[2895], 0);
}

TEST(SizeQuery, OnlyBufferTooSmallWithAFittingSizeLeadsToAWrite) {
  struct Case {
    RasError query;
    std::uint32_t size;
    RasError expected;
  };
  // 0 tells no size: not success. 5 is the platform's own failure. 1700 and
  // 2000 lie between real layouts and could not hold what they would get.
  for (const Case c : {Case{0, 2884, kErrorInvalidSize}, Case{5, 2884, 5},
                       Case{kErrorBufferTooSmall, 1700, kErrorInvalidSize},
                       Case{kErrorBufferTooSmall, 2000, kErrorInvalidSize},
                       Case{kErrorBufferTooSmall, 0, kErrorInvalidSize}}) {
    FakePlatform fake;
    Platform p = fake.platform();
    fake.phonebook.queryResult = c.query;
    fake.phonebook.reportedEntrySize = c.size;
    EXPECT_EQ(SetRasEntry(p, u"Pelkar INTERNET", FullRecord(), Text()), c.expected)
        << c.query << "/" << c.size;
    EXPECT_TRUE(fake.phonebook.writes.empty());
  }
}

TEST(SetRasEntryCall, PassesNamesInTheCodePageAndTheWriteResult) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.phonebook.setResult = 621;
  EXPECT_EQ(SetRasEntry(p, u"Пелкар", RasEntryRecord{}, Text()), 621);
  EXPECT_EQ(SetRasEntry(p, u"Пелкар", RasEntryRecord{}, u"книга.pbk"), 621);
  ASSERT_EQ(fake.phonebook.writes.size(), 2u);
  EXPECT_EQ(fake.phonebook.writes[0].entryName, "\xCF\xE5\xEB\xEA\xE0\xF0");
  EXPECT_EQ(fake.phonebook.writes[0].phonebook, std::nullopt);
  EXPECT_EQ(fake.phonebook.writes[1].phonebook, "\xEA\xED\xE8\xE3\xE0.pbk");
}

TEST(CopyStringToBuffer, CopiesShortTextWithoutTouchingTheRest) {
  const FakeCodePage cp;
  std::uint8_t field[12];
  std::memset(field, 0xEE, sizeof field);
  CopyStringToBuffer(field, u"Ёж", 11, cp);
  EXPECT_EQ(field[0], 0xA8);
  EXPECT_EQ(field[1], 0xE6);
  EXPECT_EQ(field[2], 0xEE);  // no zero written: the zero-filled image supplies it
  CopyStringToBuffer(field + 3, u"", 11, cp);
  EXPECT_EQ(field[3], 0xEE);
}

TEST(CopyStringToBuffer, KeepsTheFieldsLastByteForTheTerminatingZero) {
  const FakeCodePage cp;
  for (const Text& text : {Text(u"12345678901"), Text(u"123456789012")}) {
    std::uint8_t field[12] = {};
    CopyStringToBuffer(field, text, 11, cp);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field)), "1234567890");
    EXPECT_EQ(field[11], 0);
  }
  std::uint8_t field[12] = {};
  CopyStringToBuffer(field, u"1234567890", 11, cp);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(field)), "1234567890");
}

}  // namespace
}  // namespace verolink::testing
