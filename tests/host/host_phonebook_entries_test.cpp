// Writing entries: the image read back into the record for every layout and
// stored under readable keys, names and texts that survive the file, refused
// input, and entries replaced in place.

#include <gtest/gtest.h>

#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host_test_support.h"
#include "phonebook/entry_layout.h"
#include "phonebook/read_entry_image.h"

namespace verolink::host::testing {
namespace {

RasEntryRecord RecordOf(const std::vector<std::uint8_t>& image, std::uint32_t size) {
  RasEntryRecord record;
  EXPECT_EQ(modRASVPN::ReadEntryImage(image, size, Cp1251(), record), kRasSuccess);
  return record;
}

class EntryRoundTrip : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(EntryRoundTrip, StoresEveryMemberOfTheLayoutAndListsTheName) {
  TempFolder folder;
  const std::uint32_t size = GetParam();
  HostPhonebook phonebook(folder / "book/phonebook.pbk", size, Cp1251());
  PutEntry(phonebook, "Pelkar INTERNET", size);

  // A second phonebook object reads the record the image holds from the file.
  HostPhonebook again(phonebook.path(), 2884, Cp1251());
  RasEntryRecord record;
  ASSERT_EQ(again.ReadEntry("Pelkar INTERNET", record), kRasSuccess);
  EXPECT_EQ(record, RecordOf(PppoeLikeImage(size), size));
  EXPECT_EQ(ListedNames(again), std::vector<std::string>{"Pelkar INTERNET"});

  // Exactly the members of that size are stored.
  const std::string file = ReadFile(phonebook.path()).value();
  EXPECT_EQ(file.find("\ndwType=") != std::string::npos, entry_layout::HasTypeMembers(size));
  EXPECT_EQ(file.find("\nszDnsSuffix=") != std::string::npos,
            entry_layout::HasOptions2Members(size));
}

INSTANTIATE_TEST_SUITE_P(PlatformSizes, EntryRoundTrip,
                         ::testing::Values(1672u, 1768u, 1796u, 2088u, 2884u));

TEST(HostPhonebookEntries, FileIsReadableUtf8WithNumbersAsNumbers) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  PutEntry(phonebook, Cp1251().ToAnsi(u"Подключение Pelkar"));
  const std::string file = ReadFile(phonebook.path()).value();
  EXPECT_EQ(file.rfind("[Подключение Pelkar]\ndwSize=2884\ndwfOptions=1024262928\n", 0), 0u)
      << file;
  for (const char* line : {"\nipaddrDns=10.0.0.1\n", "\nszScript=C:\\\\script.scp\n",
                           "\nszDeviceName=Минипорт WAN (PPPoE) для подключения к Интернету\n",
                           "\nguidId=0102030405060708090a0b0c0d0e0f10\n"}) {
    EXPECT_NE(file.find(line), std::string::npos) << line;
  }
  // Members at zero are left out, and read back as zero.
  EXPECT_EQ(file.find("ipaddrWins="), std::string::npos);
}

TEST(HostPhonebookEntries, NamesAndTextsComeBackUnchanged) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  // Every byte the code page defines, apart from '[', ']' and control bytes;
  // plus names a key file could mistake.
  std::string everyByte;
  for (int b = 0x20; b < 256; ++b) {
    if (b != '[' && b != ']' && b != 0x7F && b != 0x98) everyByte += static_cast<char>(b);
  }
  const std::vector<std::string> names = {
      everyByte, " padded ",  ";comment", "#hash",
      "a\\x41",  "key=value", "\\",       std::string(256, 'N')};
  for (const std::string& name : names) PutEntry(phonebook, name);
  EXPECT_EQ(ListedNames(phonebook), names);

  // Alternate numbers are kept as their bytes, zero separators included, and
  // texts with line breaks and the key file's own marks.
  const std::string alternates = std::string("111\0", 4) + "2\\2;\n" + everyByte;
  auto image = PppoeLikeImage(2884, alternates);
  const std::string script = " a\tb\r\nc\\;#[x] ";
  std::copy(script.begin(), script.end(), image.begin() + entry_layout::kScript);
  ASSERT_EQ(phonebook.SetEntryProperties(std::nullopt, "alt", image, 2884), kRasSuccess);
  RasEntryRecord record;
  ASSERT_EQ(phonebook.ReadEntry("alt", record), kRasSuccess);
  EXPECT_EQ(record, RecordOf(image, 2884));
  EXPECT_EQ(Cp1251().ToAnsi(record.AlternateNumbers), alternates);
  EXPECT_EQ(Cp1251().ToAnsi(record.szScript), script);
}

TEST(HostPhonebookEntries, RefusedInputWritesNothing) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "book/phonebook.pbk", 2884, Cp1251());
  const auto image = PppoeLikeImage(2884);
  const auto set = [&](const std::string& name, std::span<const std::uint8_t> bytes,
                       std::uint32_t size) {
    return phonebook.SetEntryProperties(std::nullopt, name, bytes, size);
  };

  // Names a listing cannot carry, or the file cannot hold as a group, or that
  // would not read back as the same bytes.
  for (const std::string& name :
       {std::string(), std::string(257, 'N'), std::string("a\0b", 3), std::string("[x]"),
        std::string("a]"), std::string("line\nbreak"), std::string("tab\t"), std::string("\x98")}) {
    EXPECT_EQ(set(name, image, 2884), kErrorWrongInfoSpecified) << name;
  }

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
  const auto unended = PppoeLikeImage(2884, "123");
  EXPECT_EQ(set("e", std::span(unended).first(unended.size() - 1), 2884), kErrorBufferInvalid);

  EXPECT_FALSE(Exists(folder / "book")) << "a refused write created the folder";
  EXPECT_EQ(set(std::string(256, 'N'), image, 2884), kRasSuccess);
}

TEST(HostPhonebookEntries, RewritingAnEntryReplacesItInPlace) {
  TempFolder folder;
  HostPhonebook phonebook(folder / "phonebook.pbk", 2884, Cp1251());
  PutEntry(phonebook, "first");
  PutEntry(phonebook, "second");
  PutEntry(phonebook, "third");
  PutEntry(phonebook, "second", 1672);

  EXPECT_EQ(ListedNames(phonebook), (std::vector<std::string>{"first", "second", "third"}));
  RasEntryRecord record;
  ASSERT_EQ(phonebook.ReadEntry("second", record), kRasSuccess);
  EXPECT_EQ(record, RecordOf(PppoeLikeImage(1672), 1672));
  ASSERT_EQ(phonebook.ReadEntry("third", record), kRasSuccess);
  EXPECT_EQ(record, RecordOf(PppoeLikeImage(2884), 2884));
  EXPECT_EQ(phonebook.ReadEntry("fourth", record), kErrorCannotFindPhonebookEntry);
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
