// The NetworkManager phonebook on a full and on a read-only file system: the
// write is refused with the phonebook's error number, no temporary file is
// left, and the connections already there stay as they were and stay
// acceptable to NetworkManager. The file systems are real (a small tmpfs in
// a private mount namespace).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host/phonebook/host_phonebook_errors.h"
#include "nm_test_support.h"
#include "private_tmpfs.h"

namespace verolink::faults {
namespace {

using namespace host::testing;

class NmUnwritable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmpfs.mounted()) << "cannot mount a tmpfs of our own, so the full and read-only "
                                    "file systems cannot be made: "
                                 << tmpfs.reason();
    ASSERT_EQ(nm.Put("Pelkar INTERNET"), kRasSuccess);
    kept = ReadFile(folder / "Pelkar INTERNET.nmconnection").value();
  }

  void ExpectOnlyTheKeptConnection(const std::vector<std::string>& others = {}) {
    std::vector<std::string> names = others;
    names.push_back("Pelkar INTERNET.nmconnection");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FolderNames(folder.path()), names);
    EXPECT_EQ(ReadFile(folder / "Pelkar INTERNET.nmconnection"), kept);
    ExpectNetworkManagerAccepts(kept);
    EXPECT_EQ(ListedNames(nm.phonebook), std::vector<std::string>{"Pelkar INTERNET"});
  }

  TempFolder folder;
  PrivateTmpfs tmpfs{folder.path(), "size=16k,mode=0700"};
  NmPhonebookOn nm{folder.path()};
  std::string kept;
};

TEST_F(NmUnwritable, FullFileSystemRefusesTheWriteAndKeepsTheOldConnection) {
  // Fill what is left with one file, byte by byte to the last block.
  {
    std::FILE* filler = std::fopen((folder / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::string block(512, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    std::fclose(filler);
  }
  const int reloads = nm.reloads;
  EXPECT_EQ(nm.Put("Pelkar INTERNET"), host::kErrorCannotWritePhonebook);
  EXPECT_EQ(nm.Put("New INTERNET"), host::kErrorCannotWritePhonebook);
  EXPECT_EQ(nm.reloads, reloads);
  ExpectOnlyTheKeptConnection({"filler"});
}

TEST_F(NmUnwritable, ReadOnlyFileSystemRefusesWritesAndDeletionsButLists) {
  ASSERT_TRUE(tmpfs.RemountReadOnly());
  const int reloads = nm.reloads;
  EXPECT_EQ(nm.Put("Pelkar INTERNET"), host::kErrorCannotWritePhonebook);
  EXPECT_EQ(nm.Put("New INTERNET"), host::kErrorCannotWritePhonebook);
  EXPECT_EQ(nm.phonebook.DeleteEntry("Pelkar INTERNET"), host::kErrorCannotWritePhonebook);
  EXPECT_EQ(nm.reloads, reloads);
  ExpectOnlyTheKeptConnection();
}

}  // namespace
}  // namespace verolink::faults
