// A phonebook on a full or read-only file system, or a damaged one, seen
// through the whole program: the user gets the phonebook's error text, the
// entries already there stay, and nothing crashes. The file systems are real
// (a 16 KiB tmpfs in a private mount namespace), not simulated.
#include <gtest/gtest.h>

#include <fstream>

#include "host/phonebook/host_phonebook_errors.h"
#include "host_backed_platform.h"
#include "host_test_support.h"
#include "private_tmpfs.h"
#include "start/application.h"
#include "window/create_connection.h"
#include "window/entry_exists.h"
#include "window/main_form.h"

namespace verolink::faults {
namespace {

using host::testing::FolderNames;
using host::testing::ReadFile;
using host::testing::TempFolder;

constexpr char16_t kCreated[] = u"Подключение создано.";

class Unwritable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!tmpfs.mounted()) GTEST_SKIP() << "no tmpfs of our own: " << tmpfs.reason();
  }

  // Presses the main button of a window over the host-backed platform.
  void PressCreate(const Text& connectionName, std::deque<int> answers = {}) {
    host.fake.messageBoxes.answers = std::move(answers);
    Platform platform = host.platform();
    const Profile profile = HostBackedPlatform::ProfileNamed(connectionName);
    ОсновнаяФорма form(platform, profile);
    form.Load();
    CreateConnection(platform, profile, form);
  }

  std::vector<Text> Shown() const {
    std::vector<Text> texts;
    for (const auto& box : host.fake.messageBoxes.shown) texts.push_back(box.text);
    return texts;
  }

  TempFolder folder;
  PrivateTmpfs tmpfs{folder.path(), "size=16k,mode=0700"};
  const std::string path = folder / "phonebook.pbk";
  HostBackedPlatform host{path};
};

TEST_F(Unwritable, FullFileSystemRefusesWithItsTextAndKeepsEveryEntry) {
  std::vector<Text> written;
  for (int i = 0; i < 200; ++i) {
    const Text name = u"Entry " + ToDecimal(i);
    if (!host.Create(name)) break;
    written.push_back(name);
  }
  ASSERT_FALSE(written.empty()) << "not even one entry fitted";
  ASSERT_LT(written.size(), 200u) << "the file system never filled";

  ASSERT_EQ(host.fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(host.fake.messageBoxes.shown[0].text,
            host::PhonebookErrorText(host::kErrorCannotWritePhonebook));
  EXPECT_EQ(host.fake.messageBoxes.shown[0].title, Application().title);
  EXPECT_EQ(host.Listed(), written);
  // The refused write took its temporary file away again.
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"phonebook.pbk", "phonebook.pbk.lock"}));

  // The whole workflow on the full disk: the text, and no claim of success.
  host.fake.messageBoxes.shown.clear();
  PressCreate(u"Pelkar INTERNET");
  EXPECT_EQ(Shown(), std::vector<Text>{host::PhonebookErrorText(host::kErrorCannotWritePhonebook)});
  EXPECT_EQ(host.Listed(), written);
}

TEST_F(Unwritable, ReadOnlyFileSystemStillListsButRefusesChanges) {
  ASSERT_TRUE(host.Create(u"Pelkar INTERNET"));
  ASSERT_TRUE(host.Create(u"Other"));
  const auto before = ReadFile(path);
  ASSERT_TRUE(tmpfs.RemountReadOnly());

  Platform platform = host.platform();
  EXPECT_TRUE(EntryExists(platform, u"Pelkar INTERNET"));
  EXPECT_FALSE(host.Create(u"Third"));
  EXPECT_EQ(host.LastMessage(), host::PhonebookErrorText(host::kErrorCannotWritePhonebook));

  // The entry is in the way and the user agrees; its deletion fails.
  host.fake.messageBoxes.shown.clear();
  PressCreate(u"Pelkar INTERNET", {kAnswerYes});
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1], u"Ошибка удаления подключения!");
  EXPECT_EQ(host.Listed(), (std::vector<Text>{u"Pelkar INTERNET", u"Other"}));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(host.fake.eventLog.errors.empty());
}

TEST_F(Unwritable, DamagedFileIsLoggedAndShownOnListingAndKept) {
  ASSERT_TRUE(host.Create(u"Pelkar INTERNET"));
  const std::string damaged = ReadFile(path).value() + "colour=blue\n";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;

  PressCreate(u"Pelkar INTERNET");
  // The listing cannot tell whether the entry is there: it logs, the damaged
  // file's text is shown, and nothing is written.
  EXPECT_EQ(host.fake.eventLog.errors, std::vector<Text>{u"RasEnumEntries failed: Error  625"});
  EXPECT_EQ(Shown(), std::vector<Text>{host::PhonebookErrorText(host::kErrorCorruptPhonebook)});
  EXPECT_EQ(ReadFile(path), damaged);
}

}  // namespace
}  // namespace verolink::faults
