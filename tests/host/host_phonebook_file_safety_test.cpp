// The phonebook file under failure: writers that die mid-write, writers that
// race, damaged and unreadable files, folders that cannot take a write.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

using FileSafety = TwoEntryPhonebook;

TEST_F(FileSafety, WriterKilledBeforeTheRenameLeavesTheOldFile) {
  const auto dieThere = [this](const std::function<void(HostPhonebook&)>& write) {
    return RunInChild([&] {
      HostPhonebook dying(path, 2884, Cp1251(), {[] { raise(SIGKILL); }});
      write(dying);
      return 0;
    });
  };
  const auto image = PppoeLikeImage(2884);
  EXPECT_EQ(dieThere([&](HostPhonebook& p) { p.SetEntryProperties({}, "third", image, 2884); }),
            128 + SIGKILL);
  EXPECT_EQ(dieThere([](HostPhonebook& p) { p.DeleteEntry("first"); }), 128 + SIGKILL);
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(ListedNames(phonebook), (std::vector<std::string>{"first", "second"}));
  // Each writer clears what an earlier dead one left; the last one's file stays.
  EXPECT_EQ(FolderNames(folder.path()).size(), 3u);

  // The next writer is not held up by the dead one's lock and clears its leftovers.
  PutEntry(phonebook, "fourth");
  EXPECT_EQ(ListedNames(phonebook), (std::vector<std::string>{"first", "second", "fourth"}));
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"phonebook.pbk", "phonebook.pbk.lock"}));
}

TEST_F(FileSafety, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 3;
  constexpr int kEach = 20;
  std::vector<int> children;
  for (int w = 0; w < kWriters; ++w) {
    children.push_back(StartChild([&, w] {
      HostPhonebook mine(path, 2884, Cp1251());
      const auto image = PppoeLikeImage(2884);
      for (int i = 0; i < kEach; ++i) {
        const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
        if (mine.SetEntryProperties({}, name, image, 2884) != kRasSuccess) return 1;
        // Every even entry is deleted again once the next one is in.
        if (i % 2 == 1) {
          const std::string even = "w" + std::to_string(w) + "-" + std::to_string(i - 1);
          if (mine.DeleteEntry(even) != kRasSuccess) return 2;
        }
      }
      return 0;
    }));
  }
  for (int pid : children) EXPECT_EQ(WaitChild(pid), 0);

  std::set<std::string> expected{"first", "second"};
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 1; i < kEach; i += 2)
      expected.insert("w" + std::to_string(w) + "-" + std::to_string(i));
  }
  const auto names = ListedNames(phonebook);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
  EXPECT_EQ(names.size(), expected.size());
}

TEST_F(FileSafety, DamagedFileIsReportedAndNeverWrittenOver) {
  const std::size_t second = original.find("[second]");
  std::string junk(
      "\x7F"
      "ELF\x02\x01\x01\0\0",
      9);
  for (int i = 0; i < 300; ++i) junk += static_cast<char>((i * 37) & 0xFF);
  const std::vector<std::pair<const char*, std::string>> damaged = {
      {"binary junk", junk},
      {"zero byte", Replaced(original, "pelkar", std::string("pel\0kar", 7))},
      {"truncated", original.substr(0, original.find("szDeviceName=", second) + 5)},
      {"number in hex", Replaced(original, "dwfOptions=1024262928", "dwfOptions=0x3D0D0310")},
      {"number too large", Replaced(original, "dwFrameSize=1500", "dwFrameSize=4294967296")},
      {"negative", Replaced(original, "dwFrameSize=1500", "dwFrameSize=-1")},
      {"blank in a number", Replaced(original, "dwFrameSize=1500", "dwFrameSize=1 500")},
      {"address", Replaced(original, "ipaddr=1.2.3.4", "ipaddr=1.2.3.400")},
      {"short address", Replaced(original, "ipaddr=1.2.3.4", "ipaddr=1.2.3")},
      {"guid", Replaced(original, "guidId=0102", "guidId=010G")},
      {"short guid", Replaced(original, "guidId=0102", "guidId=01")},
      {"unfitting size", Replaced(original, "dwSize=2884", "dwSize=1700")},
      {"size of fewer members", Replaced(original, "dwSize=2884", "dwSize=1672")},
      {"missing size", Replaced(original, "dwSize=2884\n", "")},
      {"unknown key", original + "colour=blue\n"},
      {"repeated key", Replaced(original, "dwChannels=3\n", "dwChannels=3\ndwChannels=3\n")},
      {"repeated entry", original + original.substr(second)},
      {"key outside an entry", "dwCountryID=7\n" + original},
      {"line without '='", Replaced(original, "dwChannels=3\n", "dwChannels\n")},
      {"bad UTF-8 text", Replaced(original, "szAreaCode=495", "szAreaCode=4\xC3\x28")},
      {"bad UTF-8 name", Replaced(original, "[first]", "[fir\xC3\x28]")},
      {"name outside the code page", Replaced(original, "[first]", "[fir\u2603]")},
      {"unclosed group", Replaced(original, "[first]", "[first")},
      {"empty name", Replaced(original, "[first]", "[]")},
  };
  const auto image = PppoeLikeImage(2884);
  for (const auto& [what, text] : damaged) {
    if (text.empty()) ADD_FAILURE() << what;
    SCOPED_TRACE(what);
    WriteFile(path, text);
    std::vector<std::string> names;
    EXPECT_EQ(ListNames(phonebook, names), kErrorCorruptPhonebook);
    EXPECT_EQ(phonebook.SetEntryProperties({}, "new", image, 2884), kErrorCorruptPhonebook);
    EXPECT_EQ(phonebook.SetEntryProperties({}, "first", image, 2884), kErrorCorruptPhonebook);
    EXPECT_EQ(phonebook.DeleteEntry("first"), kErrorCorruptPhonebook);
    RasEntryRecord record;
    EXPECT_EQ(phonebook.ReadEntry("first", record), kErrorCorruptPhonebook);
    EXPECT_EQ(ReadFile(path), text);
  }
  char message[512] = {};
  phonebook.GetErrorString(kErrorCorruptPhonebook, message, sizeof message);
  EXPECT_EQ(Cp1251().FromAnsi(message),
            u"Файл телефонной книги повреждён; он не будет изменён, пока его не исправят.");
}

TEST_F(FileSafety, HandEditedFileIsReadAndWrittenBackInTheWritersForm) {
  // Comments, blank lines, CR LF line ends, blanks around '='.
  std::string edited = "# kept by hand\r\n" + Replaced(original, "[second]", "\n[second]");
  edited = Replaced(edited, "dwFrameSize=1500\n", "dwFrameSize = 1500\r\n");
  WriteFile(path, edited);
  EXPECT_EQ(ListedNames(phonebook), (std::vector<std::string>{"first", "second"}));
  PutEntry(phonebook, "third");
  PutEntry(phonebook, "third");
  EXPECT_EQ(ReadFile(path).value(),
            original + "\n" + original.substr(original.find("[second]")).replace(1, 6, "third"));
}

TEST_F(FileSafety, OversizedFileIsDamaged) {
  ASSERT_EQ(truncate(path.c_str(), 17 << 20), 0);
  std::vector<std::string> names;
  EXPECT_EQ(ListNames(phonebook, names), kErrorCorruptPhonebook);
  EXPECT_EQ(phonebook.DeleteEntry("first"), kErrorCorruptPhonebook);
}

TEST_F(FileSafety, UnreadableFileIsReportedAndKept) {
  ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
  ASSERT_EQ(chmod((path + ".lock").c_str(), 0666), 0);
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  const int result = RunWithoutRoot([&] {
    HostPhonebook other(path, 2884, Cp1251());
    std::vector<std::string> names;
    const auto image = PppoeLikeImage(2884);
    if (ListNames(other, names) != kErrorCannotOpenPhonebook) return 1;
    if (other.SetEntryProperties({}, "third", image, 2884) != kErrorCannotOpenPhonebook) return 2;
    if (other.DeleteEntry("first") != kErrorCannotOpenPhonebook) return 3;
    return 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(path), original);
}

TEST_F(FileSafety, ReadOnlyFolderRefusesWritesButReads) {
  ASSERT_EQ(chmod((path + ".lock").c_str(), 0666), 0);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  const int result = RunWithoutRoot([&] {
    HostPhonebook other(path, 2884, Cp1251());
    std::vector<std::string> names;
    const auto image = PppoeLikeImage(2884);
    if (ListNames(other, names) != kRasSuccess || names.size() != 2) return 1;
    if (other.SetEntryProperties({}, "third", image, 2884) != kErrorCannotWritePhonebook) return 2;
    if (other.DeleteEntry("first") != kErrorCannotWritePhonebook) return 3;
    // Without even a lock file to take, a write is refused all the same.
    HostPhonebook fresh(folder / "fresh.pbk", 2884, Cp1251());
    if (fresh.SetEntryProperties({}, "third", image, 2884) != kErrorCannotWritePhonebook) return 4;
    return 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"phonebook.pbk", "phonebook.pbk.lock"}));
}

TEST_F(FileSafety, FullDiskRefusesTheWriteAndKeepsTheOldFile) {
  const int result = RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const rlimit limit{1024, 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
    HostPhonebook other(path, 2884, Cp1251());
    const auto image = PppoeLikeImage(2884);
    return other.SetEntryProperties({}, "third", image, 2884) == kErrorCannotWritePhonebook ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"phonebook.pbk", "phonebook.pbk.lock"}));
}

TEST_F(FileSafety, PathsThatAreNotFilesAreReported) {
  WriteFile(folder / "plain", "x");
  HostPhonebook underFile(folder / "plain/sub/phonebook.pbk", 2884, Cp1251());
  std::vector<std::string> names;
  const auto image = PppoeLikeImage(2884);
  EXPECT_EQ(ListNames(underFile, names), kErrorCannotOpenPhonebook);
  EXPECT_EQ(underFile.SetEntryProperties({}, "e", image, 2884), kErrorCannotWritePhonebook);

  ASSERT_EQ(mkdir((folder / "folder.pbk").c_str(), 0700), 0);
  HostPhonebook folderBook(folder / "folder.pbk", 2884, Cp1251());
  EXPECT_EQ(ListNames(folderBook, names), kErrorCannotOpenPhonebook);
  EXPECT_EQ(folderBook.SetEntryProperties({}, "e", image, 2884), kErrorCannotOpenPhonebook);
}

// An administrator keeps the phonebook elsewhere through a symbolic link.
TEST_F(FileSafety, LinkedPhonebookIsReplacedWhereItLeadsAndBrokenLinksWriteNothing) {
  const std::string links = folder / "links";
  ASSERT_EQ(mkdir(links.c_str(), 0700), 0);
  const std::string link = links + "/link.pbk";
  ASSERT_EQ(symlink("../phonebook.pbk", link.c_str()), 0);
  HostPhonebook linked(link, 2884, Cp1251());
  PutEntry(linked, "third");
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link became a plain file";
  EXPECT_EQ(ListedNames(phonebook), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(FolderNames(links), std::vector<std::string>{"link.pbk"});
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"links", "phonebook.pbk", "phonebook.pbk.lock"}));

  // A link to nothing, and a loop: refused with their own texts, nothing made.
  ASSERT_EQ(symlink("../gone/phonebook.pbk", (links + "/dangling.pbk").c_str()), 0);
  ASSERT_EQ(symlink("loop-b.pbk", (links + "/loop-a.pbk").c_str()), 0);
  ASSERT_EQ(symlink("loop-a.pbk", (links + "/loop-b.pbk").c_str()), 0);
  const auto before = ReadFile(path);
  const auto image = PppoeLikeImage(2884);
  for (const auto& [name, error] : {std::pair{"dangling.pbk", kErrorDanglingPhonebookLink},
                                    std::pair{"loop-a.pbk", kErrorPhonebookLinkLoop}}) {
    HostPhonebook broken(links + "/" + name, 2884, Cp1251());
    std::vector<std::string> names;
    EXPECT_EQ(ListNames(broken, names), error) << name;
    EXPECT_EQ(broken.SetEntryProperties({}, "fourth", image, 2884), error) << name;
    EXPECT_EQ(broken.DeleteEntry("first"), error) << name;
  }
  EXPECT_EQ(FolderNames(links),
            (std::vector<std::string>{"dangling.pbk", "link.pbk", "loop-a.pbk", "loop-b.pbk"}));
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"links", "phonebook.pbk", "phonebook.pbk.lock"}));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(PhonebookErrorText(kErrorDanglingPhonebookLink),
            u"Ссылка на файл телефонной книги указывает на несуществующий файл.");
  EXPECT_EQ(PhonebookErrorText(kErrorPhonebookLinkLoop),
            u"Ссылки на файл телефонной книги образуют петлю.");
}

}  // namespace
}  // namespace verolink::host::testing
