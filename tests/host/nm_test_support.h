#pragma once

// Helpers for the NetworkManager phonebook's tests: a scripted login prompt,
// a phonebook in a scratch folder, and NetworkManager's own verdict on a
// keyfile (nmcli --offline, which needs no running daemon).

#include <optional>
#include <string>
#include <vector>

#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_phonebook.h"
#include "host_test_support.h"

namespace verolink::host::testing {

// Answers with `login` (nullopt: the user cancels) and records each question.
class ScriptedLoginPrompt : public LoginPrompt {
 public:
  std::optional<std::string> login = "subscriber-1";
  struct Asked {
    std::string connectionName;
    std::string suggested;
  };
  std::vector<Asked> asked;
  std::optional<std::string> AskLogin(const std::string& connectionName,
                                      const std::string& suggested) override;
};

// The provider's PPPoE entry image as the program builds it.
std::vector<std::uint8_t> ProviderEntryImage(std::uint32_t entrySize = 2884);

// An NmPhonebook on `folder` that counts its reload requests, its listing
// kept in a cache file of its own.
struct NmPhonebookOn {
  explicit NmPhonebookOn(const std::string& folder)
      : phonebook(
            folder, 2884, Cp1251(), prompt, [this] { ++reloads; }, cache / "index") {}
  // Writes the provider's entry under `name` (in the code page).
  RasError Put(const std::string& name) {
    const auto image = ProviderEntryImage();
    return phonebook.SetEntryProperties(std::nullopt, name, image, 2884);
  }

  TempFolder cache;
  ScriptedLoginPrompt prompt;
  int reloads = 0;
  NmPhonebook phonebook;
};

// What `nmcli --offline connection modify` makes of a keyfile's text: its
// exit code, the keyfile it prints back, and its error text. When nmcli is
// not installed the test fails saying so, and the exit code is -1.
struct NmcliVerdict {
  int exitCode = -1;
  std::string keyfile;
  std::string error;
};
NmcliVerdict AskNmcli(const std::string& keyfileText);

// Expects NetworkManager to accept the keyfile, with every key and value we
// wrote kept, and our reader to read the same connection from its copy as
// from ours.
void ExpectNetworkManagerAccepts(const std::string& keyfileText);

// The mode bits of a file.
unsigned ModeOf(const std::string& path);

}  // namespace verolink::host::testing
