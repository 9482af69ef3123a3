// The kept listing of NetworkManager's folder: a fresh phonebook object
// trusts it only as far as the folder's and the files' stamps allow, and a
// damaged or foreign cache file is never believed.

#include "host/phonebook/nm_connection_index.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/phonebook/host_phonebook_errors.h"
#include "nm_test_support.h"

namespace verolink::host::testing {
namespace {

const std::string kOther =
    "[connection]\nid=Other\nuuid=3c5a1c3e-7c57-4a57-9f0e-0d5b1f0d6a01\ntype=ethernet\n";

// Lets every change so far settle (well past a fine-stamped file system's
// margin), so that the kept listing is trusted.
void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

// Writes a file through a rename, as NetworkManager and editors do.
void ReplaceByRename(const std::string& path, const std::string& text) {
  WriteFile(path + ".new~", text);
  ASSERT_EQ(std::rename((path + ".new~").c_str(), path.c_str()), 0);
}

class KeptListing : public ::testing::Test {
 protected:
  // A phonebook object as at the next start, on the same cache file.
  std::vector<std::string> ListedByAFreshObject() {
    NmPhonebook fresh(
        folder.path(), 2884, Cp1251(), nm.prompt, [] {}, index);
    return ListedNames(fresh);
  }

  TempFolder folder;
  NmPhonebookOn nm{folder.path()};
  const std::string index = nm.cache / "index";
};

TEST_F(KeptListing, FilesAddedReplacedOrRemovedByOthersShowAtOnce) {
  ASSERT_EQ(nm.Put("A"), kRasSuccess);
  Settle();
  EXPECT_EQ(ListedByAFreshObject(), std::vector<std::string>{"A"});
  ASSERT_TRUE(Exists(index));

  WriteFile(folder / "other.nmconnection", kOther);
  std::vector<std::string> listed = ListedByAFreshObject();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"A", "Other"}));
  Settle();
  ReplaceByRename(folder / "other.nmconnection", Replaced(kOther, "id=Other", "id=Renamed"));
  listed = ListedByAFreshObject();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"A", "Renamed"}));
  ASSERT_EQ(unlink((folder / "A.nmconnection").c_str()), 0);
  EXPECT_EQ(ListedByAFreshObject(), std::vector<std::string>{"Renamed"});
}

TEST_F(KeptListing, AFileRewrittenInPlaceIsNeverTakenForItsOldConnection) {
  ASSERT_EQ(nm.Put("A"), kRasSuccess);
  Settle();
  ListedByAFreshObject();
  Settle();
  // Same inode, same folder: nothing but the file's own stamp shows it.
  WriteFile(folder / "A.nmconnection", kOther);

  NmPhonebook fresh(
      folder.path(), 2884, Cp1251(), nm.prompt, [] {}, index);
  EXPECT_EQ(fresh.DeleteEntry("A"), kErrorCannotFindPhonebookEntry);
  ASSERT_EQ(fresh.SetEntryProperties(std::nullopt, "A", ProviderEntryImage(), 2884), kRasSuccess);
  EXPECT_EQ(ReadFile(folder / "A.nmconnection"), kOther) << "another connection's file now";
  EXPECT_EQ(FolderNames(folder.path()).size(), 2u);
  // The folder changed, so the listing looks at every file again.
  std::vector<std::string> listed = ListedByAFreshObject();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"A", "Other"}));
}

TEST_F(KeptListing, ADamagedOrForeignCacheFileIsNotBelieved) {
  ASSERT_EQ(nm.Put("A"), kRasSuccess);
  Settle();
  ListedByAFreshObject();
  const std::string kept = ReadFile(index).value();

  // The cache of this folder handed to another folder with other files.
  TempFolder elsewhere;
  WriteFile(elsewhere / "other.nmconnection", kOther);
  NmPhonebook foreign(
      elsewhere.path(), 2884, Cp1251(), nm.prompt, [] {}, index);
  EXPECT_EQ(ListedNames(foreign), std::vector<std::string>{"Other"});

  // Every single flipped byte of a good cache file: never a wrong listing.
  for (std::size_t at = 0; at < kept.size(); at += 7) {
    std::string damaged = kept;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    WriteFile(index, damaged);
    EXPECT_EQ(ListedByAFreshObject(), std::vector<std::string>{"A"}) << "byte " << at;
  }
  WriteFile(index, kept.substr(0, kept.size() / 2));
  EXPECT_EQ(ListedByAFreshObject(), std::vector<std::string>{"A"});
}

}  // namespace
}  // namespace verolink::host::testing
