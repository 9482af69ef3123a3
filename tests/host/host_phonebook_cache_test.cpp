// The phonebook's kept text: every change of the file by anyone else shows
// at the next call, a file damaged after it was kept is reported, and no
// write starts from a text that is no longer the file's.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/phonebook/file_version.h"
#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

using Names = std::vector<std::string>;

// Writes into the file itself, as an editor that saves in place does: the
// inode stays, and with the same size only the stamps tell.
void OverwriteInPlace(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(text.size())), 0);
  close(fd);
}

class KeptText : public TwoEntryPhonebook {
 protected:
  void SetUp() override {
    TwoEntryPhonebook::SetUp();
    ASSERT_EQ(ListedNames(phonebook), (Names{"first", "second"}));  // kept from here on
  }
};

TEST_F(KeptText, ChangesByAnotherObjectOrProcessShowAtTheNextCall) {
  HostPhonebook other(path, 2884, Cp1251());
  PutEntry(other, "third");
  EXPECT_EQ(ListedNames(phonebook), (Names{"first", "second", "third"}));

  EXPECT_EQ(RunInChild([&] {
              HostPhonebook child(path, 2884, Cp1251());
              return child.DeleteEntry("first") == kRasSuccess ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ListedNames(phonebook), (Names{"second", "third"}));
  PhonebookSection section;
  EXPECT_EQ(phonebook.ReadEntry("first", section), kErrorCannotFindPhonebookEntry);
}

TEST_F(KeptText, WritesStartFromTheFileNotFromTheKeptText) {
  HostPhonebook other(path, 2884, Cp1251());
  PutEntry(other, "third");
  PutEntry(phonebook, "fourth");  // must not drop "third"
  EXPECT_EQ(phonebook.DeleteEntry("third"), kRasSuccess);
  PutEntry(other, "fifth");
  EXPECT_EQ(phonebook.DeleteEntry("fifth"), kRasSuccess);
  EXPECT_EQ(ListedNames(other), (Names{"first", "second", "fourth"}));
}

TEST_F(KeptText, FileRenamedOverItIsSeenEvenAtTheSameSize) {
  const std::string replacement = folder / "edited.pbk";
  WriteFile(replacement, Replaced(original, "[first]", "[fjrst]"));
  ASSERT_EQ(rename(replacement.c_str(), path.c_str()), 0);
  EXPECT_EQ(ListedNames(phonebook), (Names{"fjrst", "second"}));
}

TEST_F(KeptText, InPlaceRewritesAreSeenWhateverTheirSizeAndTiming) {
  // Longer, at once.
  OverwriteInPlace(path, Replaced(original, "[first]", "[first one]"));
  EXPECT_EQ(ListedNames(phonebook), (Names{"first one", "second"}));
  // The same size, right after the file was read: within one clock tick
  // the stamps may not move, so only reading the file again tells.
  OverwriteInPlace(path, Replaced(original, "[first]", "[fjrst]"));
  EXPECT_EQ(ListedNames(phonebook), (Names{"fjrst", "second"}));
  // The same size, right after the object's own write.
  PutEntry(phonebook, "third");
  const std::string written = ReadFile(path).value();
  OverwriteInPlace(path, Replaced(written, "[third]", "[thjrd]"));
  EXPECT_EQ(ListedNames(phonebook), (Names{"fjrst", "second", "thjrd"}));
  // The same size, long after the text was read: the stamps move.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ListedNames(phonebook), (Names{"fjrst", "second", "thjrd"}));
  OverwriteInPlace(path, Replaced(written, "[third]", "[thkrd]"));
  EXPECT_EQ(ListedNames(phonebook), (Names{"fjrst", "second", "thkrd"}));
}

TEST_F(KeptText, FileDamagedAfterItWasKeptIsReportedAndKept) {
  // Same size, in place, right after it was read, then again later.
  const std::string damaged = Replaced(original, "options=0x3D0D0310", "options=0x3D0D031Z");
  OverwriteInPlace(path, damaged);
  Names names;
  EXPECT_EQ(ListNames(phonebook, names), kErrorCorruptPhonebook);
  EXPECT_EQ(phonebook.SetEntryProperties({}, "third", PppoeLikeImage(2884), 2884),
            kErrorCorruptPhonebook);
  EXPECT_EQ(phonebook.DeleteEntry("first"), kErrorCorruptPhonebook);
  EXPECT_EQ(ReadFile(path), damaged);

  OverwriteInPlace(path, original);
  EXPECT_EQ(ListedNames(phonebook), (Names{"first", "second"}));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ListedNames(phonebook), (Names{"first", "second"}));
  OverwriteInPlace(path, damaged);
  EXPECT_EQ(ListNames(phonebook, names), kErrorCorruptPhonebook);
  EXPECT_EQ(ReadFile(path), damaged);
}

TEST_F(KeptText, RemovedFileListsEmpty) {
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(ListedNames(phonebook), Names{});
  PutEntry(phonebook, "again");
  EXPECT_EQ(ListedNames(phonebook), Names{"again"});
}

TEST(HandEditedFile, WriteTurnsItIntoTheWritersFormAndKeepsEveryValue) {
  TempFolder folder;
  const std::string path = folder / "phonebook.pbk";
  HostPhonebook phonebook{path, 2884, Cp1251()};
  PutEntry(phonebook, "first");
  PutEntry(phonebook, "second");
  PutEntry(phonebook, "third");
  const std::string written = ReadFile(path).value();
  // "first" gets comments, CRLF, lower-case flags and needless escapes;
  // "third" stays as written.
  std::string edited = Replaced(written, "[first]\n", "# by hand\r\n[\\x66irst]\r\n; note\n");
  edited = Replaced(edited, "options=0x3D0D0310\n", "options=0x3d0d0310\n");
  edited = Replaced(edited, "deviceType=PPPoE\n", "deviceType=PP\\x50oE\n");
  WriteFile(path, edited);
  PhonebookSection before;
  ASSERT_EQ(phonebook.ReadEntry("first", before), kRasSuccess);

  ASSERT_EQ(phonebook.DeleteEntry("second"), kRasSuccess);
  PhonebookContents expected;
  ASSERT_EQ(ParsePhonebook(edited, AnsiTextEscaping(Cp1251()), expected), kRasSuccess);
  expected.Remove("second");
  EXPECT_EQ(ReadFile(path), FormatPhonebook(expected, AnsiTextEscaping(Cp1251())));
  PhonebookSection after;
  ASSERT_EQ(phonebook.ReadEntry("first", after), kRasSuccess);
  EXPECT_EQ(after.fields, before.fields);
}

TEST(FileVersion, SettledOnlyWhenLaterChangesAreSureToBeStampedLater) {
  const timespec now{1'700'000'000, 500'000'000};
  FileVersion version;
  version.exists = true;
  const auto changedAt = [&](time_t seconds, long nanoseconds) {
    version.changed = {seconds, nanoseconds};
    return IsSettled(version, now);
  };
  EXPECT_FALSE(changedAt(now.tv_sec, now.tv_nsec));              // this very tick
  EXPECT_FALSE(changedAt(now.tv_sec, now.tv_nsec - 5'000'000));  // a tick or two ago
  EXPECT_TRUE(changedAt(now.tv_sec, now.tv_nsec - 50'000'000));
  EXPECT_FALSE(changedAt(now.tv_sec + 1, 1));  // stamped ahead of the clock
  // Whole-second stamps: a change in the next second may carry the same one.
  EXPECT_FALSE(changedAt(now.tv_sec - 1, 0));
  EXPECT_TRUE(changedAt(now.tv_sec - 3, 0));
  EXPECT_TRUE(IsSettled(FileVersion::Missing(), now));
}

}  // namespace
}  // namespace verolink::host::testing
