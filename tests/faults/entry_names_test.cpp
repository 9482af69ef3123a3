// Entry names at the edges, from the program's UTF-16 text through the code
// page into the host phonebook and back through the listing.
#include <gtest/gtest.h>

#include "host/phonebook/host_phonebook_errors.h"
#include "host_backed_platform.h"
#include "host_test_support.h"
#include "window/entry_exists.h"

namespace verolink::faults {
namespace {

using host::testing::Exists;
using host::testing::TempFolder;

class EntryNames : public ::testing::Test {
 protected:
  bool Exists(const Text& name) {
    Platform platform = host.platform();
    return EntryExists(platform, name);
  }

  TempFolder folder;
  const std::string path = folder / "phonebook.pbk";
  HostBackedPlatform host{path};
};

TEST_F(EntryNames, CharactersOutsideWindows1251BecomeQuestionMarks) {
  // U+260E, and U+1F4DE as its two UTF-16 units.
  ASSERT_TRUE(host.Create(u"Pelkar \u260E INTERNET \U0001F4DE"));
  EXPECT_EQ(host.Listed(), std::vector<Text>{u"Pelkar ? INTERNET ??"});
  EXPECT_TRUE(Exists(u"Pelkar ? INTERNET ??"));
  // The name asked for is not the one stored: the program cannot see it...
  EXPECT_FALSE(Exists(u"Pelkar \u260E INTERNET \U0001F4DE"));
  // ...so writing it again, or another name of the same '?' form, replaces
  // that entry rather than adding one.
  ASSERT_TRUE(host.Create(u"Pelkar \u260F INTERNET \U0001F4F1"));
  EXPECT_EQ(host.Listed(), std::vector<Text>{u"Pelkar ? INTERNET ??"});
  // Cyrillic is in the code page and comes back as it was.
  ASSERT_TRUE(host.Create(u"Пелкар ИНТЕРНЕТ Ёё"));
  EXPECT_TRUE(Exists(u"Пелкар ИНТЕРНЕТ Ёё"));
}

TEST_F(EntryNames, LongestNameIsKeptWholeOneMoreIsRefused) {
  const Text longest = u"Подключение " + Text(256 - 12, u'Я');
  ASSERT_EQ(longest.size(), 256u);
  ASSERT_TRUE(host.Create(longest));
  EXPECT_EQ(host.Listed(), std::vector<Text>{longest});
  EXPECT_TRUE(Exists(longest));
  EXPECT_FALSE(Exists(longest.substr(0, 255)));

  const auto before = host::testing::ReadFile(path);
  EXPECT_FALSE(host.Create(longest + u"Я"));
  EXPECT_EQ(host.LastMessage(), host::PhonebookErrorText(host::kErrorWrongInfoSpecified));
  EXPECT_EQ(host::testing::ReadFile(path), before);
}

TEST_F(EntryNames, EmptyAndBlankNamesAreRefusedAndWriteNothing) {
  for (const Text& name : {Text(), Text(u"   ")}) {
    SCOPED_TRACE(ToUtf8(name));
    host.fake.messageBoxes.shown.clear();
    EXPECT_FALSE(host.Create(name));
    EXPECT_EQ(host.LastMessage(), host::PhonebookErrorText(host::kErrorWrongInfoSpecified));
  }
  EXPECT_FALSE(host::testing::Exists(path));
  EXPECT_TRUE(host.Listed().empty());
}

}  // namespace
}  // namespace verolink::faults
