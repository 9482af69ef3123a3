#include "host/phonebook/phonebook_choice.h"

#include <cstdio>

#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt,
                                 std::chrono::milliseconds timeout, WaitView* waitView)
    : file_(file) {
  const std::string forced = EnvironmentVariable(kPhonebookKindVariable);
  const std::string forcedWhy = std::string(", forced by ") + kPhonebookKindVariable;
  std::string why;
  if (forced == "file") {
    why = "file phonebook" + forcedWhy;
  } else if (forced != "networkmanager" && !EnvironmentVariable(kPhonebookVariable).empty()) {
    why = std::string("file phonebook, named by ") + kPhonebookVariable;
  } else {
    // Without an answer every call says so and nothing is changed: a file
    // that nothing dials would only look like a connection.
    std::string reason;
    std::unique_ptr<NmDaemon> daemon = NmDaemon::Connect(timeout, reason, waitView);
    why = forced == "networkmanager" ? "NetworkManager" + forcedWhy : "NetworkManager";
    if (!daemon) {
      why += "; it does not answer on the system bus, so nothing can be changed: " + reason;
    } else if (forced != "networkmanager") {
      why += ", as it answers on the system bus";
    }
    nm_.emplace(std::move(daemon), EntrySizeFromEnvironment(), codePage, prompt);
  }
  std::fprintf(stderr, "verolink: phonebook: %s\n", why.c_str());
}

}  // namespace verolink::host
