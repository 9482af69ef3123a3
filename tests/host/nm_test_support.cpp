#include "nm_test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include "host/phonebook/nm_connection.h"
#include "host/phonebook/nm_keyfile.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"

namespace verolink::host::testing {

std::optional<std::string> ScriptedLoginPrompt::AskLogin(const std::string& connectionName,
                                                         const std::string& suggested) {
  asked.push_back({connectionName, suggested});
  return login;
}

std::vector<std::uint8_t> ProviderEntryImage(std::uint32_t entrySize) {
  return modRASVPN::BuildEntryImage(PPPoE::PPPoEEntryRecord(basMain::BuiltInProfile()), entrySize,
                                    Cp1251());
}

NmcliVerdict AskNmcli(const std::string& keyfileText) {
  NmcliVerdict verdict;
  if (std::system("command -v nmcli >/dev/null 2>&1") != 0) {
    ADD_FAILURE() << "nmcli is not installed, so NetworkManager cannot check the keyfiles we "
                     "write; install network-manager (scripts/install-deps.sh)";
    return verdict;
  }
  TempFolder scratch;
  WriteFile(scratch / "in", keyfileText);
  const std::string command = "nmcli --offline connection modify <'" + scratch / "in" + "' >'" +
                              scratch / "out" + "' 2>'" + scratch / "err" + "'";
  const int status = std::system(command.c_str());
  verdict.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  verdict.keyfile = ReadFile(scratch / "out").value_or("");
  verdict.error = ReadFile(scratch / "err").value_or("");
  return verdict;
}

void ExpectNetworkManagerAccepts(const std::string& keyfileText) {
  const NmcliVerdict verdict = AskNmcli(keyfileText);
  ASSERT_EQ(verdict.exitCode, 0) << verdict.error << "\nfor the keyfile:\n" << keyfileText;
  const auto ours = Keyfile::Parse(keyfileText);
  const auto theirs = Keyfile::Parse(verdict.keyfile);
  ASSERT_TRUE(ours && theirs) << verdict.keyfile;
  // A key NetworkManager does not know would be dropped without a word.
  for (const KeyfileGroup& group : ours->groups()) {
    for (const auto& [key, value] : group.entries) {
      const std::string* kept = theirs->Find(group.name, key);
      EXPECT_TRUE(kept != nullptr && *kept == value)
          << group.name << "." << key << "=" << value << " not kept:\n"
          << verdict.keyfile;
    }
  }
  const auto read = ReadConnection(*ours);
  ASSERT_TRUE(read.has_value()) << keyfileText;
  EXPECT_EQ(ReadConnection(*theirs), read);
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : ~0u;
}

}  // namespace verolink::host::testing
