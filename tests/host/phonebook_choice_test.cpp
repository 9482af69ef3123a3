// Which phonebook the windowed program uses: NetworkManager's folder when it
// may be written, the file phonebook otherwise, either one when forced.

#include "host/phonebook/phonebook_choice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/phonebook/chosen_phonebook.h"
#include "host_test_support.h"
#include "nm_test_support.h"

namespace verolink::host::testing {
namespace {

TEST(PhonebookChoice, NetworkManagerWhereItsFolderMayBeWrittenElseTheFileUnlessForced) {
  TempFolder folder;
  const std::string connections = folder / "system-connections";
  ScopedVariable nmFolder(kNmConnectionsVariable, connections);
  ScopedVariable book("VEROLINK_PHONEBOOK", std::nullopt);
  ScopedVariable kind(kPhonebookKindVariable, std::nullopt);

  EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::File) << "no folder";
  ASSERT_EQ(mkdir(connections.c_str(), 0755), 0);
  EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::NetworkManager);
  {
    ScopedVariable named("VEROLINK_PHONEBOOK", folder / "book.pbk");
    EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::File) << "a phonebook file is named";
    ScopedVariable forced(kPhonebookKindVariable, "networkmanager");
    EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::NetworkManager);
  }
  {
    ScopedVariable forced(kPhonebookKindVariable, "file");
    EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::File);
  }
  {
    ScopedVariable unknown(kPhonebookKindVariable, "ras");
    EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::NetworkManager) << "an unknown kind is ignored";
  }
  // A folder the user may not write into (root may write anywhere).
  ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
  EXPECT_EQ(RunWithoutRoot([] { return ChosenPhonebookKind() == PhonebookKind::File ? 0 : 1; }), 0);
  {
    ScopedVariable file(kNmConnectionsVariable, folder / "book.pbk");
    WriteFile(folder / "book.pbk", "");
    EXPECT_EQ(ChosenPhonebookKind(), PhonebookKind::File) << "not a folder";
  }
  EXPECT_EQ(NetworkManagerConnectionsFolder(), connections);
  ScopedVariable unset(kNmConnectionsVariable, std::nullopt);
  EXPECT_EQ(NetworkManagerConnectionsFolder(), "/etc/NetworkManager/system-connections");
}

TEST(PhonebookChoice, TheChosenPhonebookWritesWhereTheChoiceSays) {
  TempFolder folder;
  const std::string connections = folder / "system-connections";
  ASSERT_EQ(mkdir(connections.c_str(), 0700), 0);
  ScopedVariable nmFolder(kNmConnectionsVariable, connections);
  ScopedVariable book("VEROLINK_PHONEBOOK", folder / "book.pbk");
  ScopedVariable size("VEROLINK_RAS_ENTRY_SIZE", "1768");
  ScopedVariable cache("XDG_CACHE_HOME", folder / "cache");
  HostPhonebook file(folder / "book.pbk", 2884, Cp1251());
  ScriptedLoginPrompt prompt;
  const auto image = ProviderEntryImage(1768);
  {
    ScopedVariable kind(kPhonebookKindVariable, "networkmanager");
    ChosenPhonebook chosen(file, Cp1251(), prompt);
    ASSERT_NE(chosen.networkManager(), nullptr);
    EXPECT_EQ(chosen.networkManager()->folder(), connections);
    std::uint32_t entrySize = 0;
    chosen.phonebook().QueryEntrySize(entrySize);
    EXPECT_EQ(entrySize, 1768u);
    ASSERT_EQ(chosen.phonebook().SetEntryProperties(std::nullopt, "A", image, 1768), kRasSuccess);
  }
  EXPECT_EQ(FolderNames(connections), std::vector<std::string>{"A.nmconnection"});
  EXPECT_FALSE(Exists(folder / "book.pbk"));
  EXPECT_EQ(FolderNames(folder / "cache/verolink").size(), 1u) << "the listing's cache file";
  ChosenPhonebook chosen(file, Cp1251(), prompt);
  EXPECT_EQ(chosen.networkManager(), nullptr);
  ASSERT_EQ(chosen.phonebook().SetEntryProperties(std::nullopt, "B", image, 1768), kRasSuccess);
  EXPECT_EQ(ListedNames(file), std::vector<std::string>{"B"});
  EXPECT_EQ(FolderNames(connections), std::vector<std::string>{"A.nmconnection"});
}

}  // namespace
}  // namespace verolink::host::testing
