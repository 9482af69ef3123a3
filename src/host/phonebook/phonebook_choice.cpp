#include "host/phonebook/phonebook_choice.h"

#include <cstdio>

#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt,
                                 std::chrono::milliseconds timeout)
    : file_(file) {
  const std::string forced = EnvironmentVariable(kPhonebookKindVariable);
  const std::string forcedWhy = std::string(", forced by ") + kPhonebookKindVariable;
  std::string why;
  std::unique_ptr<NmDaemon> daemon;
  std::string reason;
  if (forced == "file") {
    why = "file phonebook" + forcedWhy;
  } else if (forced != "networkmanager" && !EnvironmentVariable(kPhonebookVariable).empty()) {
    why = std::string("file phonebook, named by ") + kPhonebookVariable;
  } else if ((daemon = NmDaemon::Connect(timeout, reason)) || forced == "networkmanager") {
    why = forced == "networkmanager"
              ? "NetworkManager" + forcedWhy + (daemon ? "" : "; it does not answer: " + reason)
              : "NetworkManager, as it answers on the system bus";
    nm_.emplace(std::move(daemon), EntrySizeFromEnvironment(), codePage, prompt);
  } else {
    why = "file phonebook, as NetworkManager does not answer on the system bus: " + reason;
  }
  std::fprintf(stderr, "verolink: phonebook: %s\n", why.c_str());
}

}  // namespace verolink::host
