// Writing entries: the image read back into named fields for every layout,
// texts that survive the file whatever their bytes, refused input, and
// sections replaced in place.

#include <gtest/gtest.h>

#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host_test_support.h"
#include "phonebook/entry_layout.h"

namespace verolink::host::testing {
namespace {

using Fields = std::vector<StoredField>;

std::string DeviceName() {
  return Cp1251().ToAnsi(u"Минипорт WAN (PPPoE) для подключения к Интернету");
}

Fields Concat(std::initializer_list<Fields> parts) {
  Fields all;
  for (const Fields& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The fields PppoeLikeImage's values are stored as, for one entry size.
Fields ExpectedFields(std::uint32_t size) {
  const std::string device = size == 1672 ? DeviceName().substr(0, 32) : DeviceName();
  const Fields head = {{"entrySize", std::to_string(size)},
                       {"options", "0x3D0D0310"},
                       {"countryId", "7"},
                       {"countryCode", "8"},
                       {"areaCode", "495"},
                       {"phoneNumber", "pelkar"}};
  const Fields base = {{"ip", "1.2.3.4"},
                       {"dns", "10.0.0.1"},
                       {"dnsAlt", "10.0.0.2"},
                       {"wins", "0.0.0.0"},
                       {"winsAlt", "255.255.255.255"},
                       {"frameSize", "1500"},
                       {"netProtocols", "0x00000004"},
                       {"framingProtocol", "1"},
                       {"script", "C:\\script.scp"},
                       {"autodialDll", "auto.dll"},
                       {"autodialFunc", "Dial"},
                       {"deviceType", "PPPoE"},
                       {"deviceName", device},
                       {"x25PadType", "pad"},
                       {"x25Address", "x25addr"},
                       {"x25Facilities", "fac"},
                       {"x25UserData", "user"},
                       {"channels", "3"}};
  const Fields dial = {{"subEntries", "11"},           {"dialMode", "12"},
                       {"dialExtraPercent", "13"},     {"dialExtraSampleSeconds", "14"},
                       {"hangUpExtraPercent", "15"},   {"hangUpExtraSampleSeconds", "16"},
                       {"idleDisconnectSeconds", "17"}};
  const Fields type = {{"type", "5"},
                       {"encryptionType", "3"},
                       {"customAuthKey", "42"},
                       {"guid", "{04030201-0605-0807-090A-0B0C0D0E0F10}"},
                       {"customDialDll", "dial.dll"},
                       {"vpnStrategy", "2"}};
  const Fields options2 = {
      {"options2", "0x00000010"}, {"options3", "0x00000020"}, {"dnsSuffix", "example.net"}};
  return Concat({head, base, entry_layout::HasDialMembers(size) ? dial : Fields{},
                 entry_layout::HasTypeMembers(size) ? type : Fields{},
                 entry_layout::HasOptions2Members(size) ? options2 : Fields{}});
}

class EntryRoundTrip : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(EntryRoundTrip, StoresEveryMemberOfTheLayoutAndListsTheName) {
  TempFolder folder;
  const std::uint32_t size = GetParam();
  HostPhonebook phonebook(folder / "book/phonebook.pbk", size, Cp1251());
  PutEntry(phonebook, "Pelkar INTERNET", size);

  PhonebookSection section;
  ASSERT_EQ(phonebook.ReadEntry("Pelkar INTERNET", section), kRasSuccess);
  EXPECT_EQ(section.fields, ExpectedFields(size));

  std::vector<std::string> names;
  ASSERT_EQ(ListNames(phonebook, names), kRasSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"Pelkar INTERNET"});

  // A second phonebook object reads the same from the file.
  HostPhonebook again(phonebook.path(), 2884, Cp1251());
  PhonebookSection reread;
  ASSERT_EQ(again.ReadEntry("Pelkar INTERNET", reread), kRasSuccess);
  EXPECT_EQ(reread.fields, section.fields);
}

INSTANTIATE_TEST_SUITE_P(PlatformSizes, EntryRoundTrip,
                         ::testing::Values(1672u, 1768u, 1796u, 2088u, 2884u));

TEST(HostPhonebookEntries, FileIsReadableUtf8WithEscapes) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  PutEntry(phonebook, Cp1251().ToAnsi(u"Подключение Pelkar"));
  const std::string file = ReadFile(phonebook.path()).value();
  EXPECT_NE(file.find("\n[Подключение Pelkar]\nentrySize=2884\noptions=0x3D0D0310\n"),
            std::string::npos);
  EXPECT_NE(file.find("\ndeviceName=Минипорт WAN (PPPoE) для подключения к Интернету\n"),
            std::string::npos);
  EXPECT_NE(file.find("\nscript=C:\\\\script.scp\n"), std::string::npos);

  std::string shown;
  ASSERT_EQ(phonebook.ShowEntry(Cp1251().ToAnsi(u"Подключение Pelkar"), shown), kRasSuccess);
  EXPECT_EQ(shown.rfind("[Подключение Pelkar]\nentrySize=2884\n", 0), 0u);
}

TEST(HostPhonebookEntries, AnyNameAndTextBytesComeBackUnchanged) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  // Every non-zero byte once: control bytes, '\\', '[', ']', '=', ';', the
  // undefined 0x98, no-break space; plus names the format could mistake.
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
  const std::vector<std::string> names = {
      everyByte, "[x]",           "]",         " padded ", ";comment",           "#hash",
      "a\\x41",  "line\nbreak\r", "key=value", "\\",       std::string(256, 'N')};
  for (const std::string& name : names) PutEntry(phonebook, name);

  std::vector<std::string> listed;
  ASSERT_EQ(ListNames(phonebook, listed), kRasSuccess);
  EXPECT_EQ(listed, names);

  // Alternate numbers are kept as their bytes, zero separators included.
  const std::string alternates = std::string("111\0", 4) + "2\\2\n" + everyByte;
  const auto image = PppoeLikeImage(2884, alternates);
  ASSERT_EQ(phonebook.SetEntryProperties(std::nullopt, "alt", image, 2884), kRasSuccess);
  PhonebookSection section;
  ASSERT_EQ(phonebook.ReadEntry("alt", section), kRasSuccess);
  ASSERT_GT(section.fields.size(), 6u);
  EXPECT_EQ(section.fields[6], (StoredField{"alternateNumbers", alternates}));
}

TEST(HostPhonebookEntries, RefusedInputWritesNothing) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "book/phonebook.pbk", 2884, Cp1251());
  const auto image = PppoeLikeImage(2884);
  const auto set = [&](const std::string& name, std::span<const std::uint8_t> bytes,
                       std::uint32_t size) {
    return phonebook.SetEntryProperties(std::nullopt, name, bytes, size);
  };

  EXPECT_EQ(set("", image, 2884), kErrorWrongInfoSpecified);
  EXPECT_EQ(set(std::string(257, 'N'), image, 2884), kErrorWrongInfoSpecified);
  EXPECT_EQ(set(std::string("a\0b", 3), image, 2884), kErrorWrongInfoSpecified);

  EXPECT_EQ(set("e", std::span(image).first(2883), 2884), kErrorBufferInvalid);
  EXPECT_EQ(set("e", {}, 2884), kErrorBufferInvalid);
  for (std::uint32_t badSize : {0u, 1000u, 1700u, 1780u, 2000u, 2100u}) {
    EXPECT_EQ(set("e", image, badSize), kErrorInvalidSize) << badSize;
  }
  // The image's own size field must agree with the size handed over.
  EXPECT_EQ(set("e", PppoeLikeImage(2088), 1796), kErrorInvalidSize);

  // The alternate list must lie after the structure and end inside the image.
  auto inside = PppoeLikeImage(2884, "123");
  inside[entry_layout::kAlternateOffset] = 100;
  inside[entry_layout::kAlternateOffset + 1] = 0;
  EXPECT_EQ(set("e", inside, 2884), kErrorBufferInvalid);
  auto beyond = PppoeLikeImage(2884, "123");
  beyond[entry_layout::kAlternateOffset + 1] = 0x40;  // far past the end
  EXPECT_EQ(set("e", beyond, 2884), kErrorBufferInvalid);
  const auto unended = PppoeLikeImage(2884, "123");
  EXPECT_EQ(set("e", std::span(unended).first(unended.size() - 1), 2884), kErrorBufferInvalid);

  EXPECT_FALSE(Exists(folder / "book")) << "a refused write created the folder";
  EXPECT_EQ(set(std::string(256, 'N'), image, 2884), kRasSuccess);
}

TEST(HostPhonebookEntries, RewritingAnEntryReplacesItsSectionInPlace) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  PutEntry(phonebook, "first");
  PutEntry(phonebook, "second");
  PutEntry(phonebook, "third");
  PutEntry(phonebook, "second", 1672);

  std::vector<std::string> names;
  ASSERT_EQ(ListNames(phonebook, names), kRasSuccess);
  EXPECT_EQ(names, (std::vector<std::string>{"first", "second", "third"}));
  PhonebookSection section;
  ASSERT_EQ(phonebook.ReadEntry("second", section), kRasSuccess);
  EXPECT_EQ(section.fields, ExpectedFields(1672));
  ASSERT_EQ(phonebook.ReadEntry("third", section), kRasSuccess);
  EXPECT_EQ(section.fields, ExpectedFields(2884));
}

TEST(HostPhonebookEntries, NamedPhonebookIsAFilePathInTheCodePage) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "default.pbk", 2884, Cp1251());
  const std::string named = Cp1251().ToAnsi(FromUtf8(folder / "другая/книга.pbk"));
  const auto image = PppoeLikeImage(2884);
  ASSERT_EQ(phonebook.SetEntryProperties(named, "elsewhere", image, 2884), kRasSuccess);
  EXPECT_TRUE(Exists(folder / "другая/книга.pbk"));
  EXPECT_FALSE(Exists(folder / "default.pbk"));
  // An empty name is the default phonebook.
  ASSERT_EQ(phonebook.SetEntryProperties(std::string(), "here", image, 2884), kRasSuccess);
  EXPECT_TRUE(Exists(folder / "default.pbk"));
}

TEST(HostPhonebookEntries, SizeQueryReportsTheConfiguredSize) {
  for (std::uint32_t size : {1672u, 2884u, 12345u}) {
    HostPhonebook phonebook("/nonexistent/phonebook.pbk", size, Cp1251());
    std::uint32_t reported = 0;
    EXPECT_EQ(phonebook.QueryEntrySize(reported), kErrorBufferTooSmall);
    EXPECT_EQ(reported, size);
  }
}

}  // namespace
}  // namespace verolink::host::testing
