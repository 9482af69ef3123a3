#include "host/phonebook/phonebook_choice.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

PhonebookChoice ChoosePhonebook(std::chrono::milliseconds timeout) {
  PhonebookChoice choice;
  const std::string_view forced = Variable(kPhonebookKindVariable);
  const std::string forcedWhy = std::string(", forced by ") + kPhonebookKindVariable;
  if (forced == "file") {
    choice.why = "file phonebook" + forcedWhy;
    return choice;
  }
  if (forced != "networkmanager" && !Variable(kPhonebookVariable).empty()) {
    choice.why = std::string("file phonebook, named by ") + kPhonebookVariable;
    return choice;
  }
  std::string reason;
  choice.daemon = NmDaemon::Connect(timeout, reason);
  if (forced == "networkmanager") {
    choice.kind = PhonebookKind::NetworkManager;
    choice.why =
        "NetworkManager" + forcedWhy + (choice.daemon ? "" : "; it does not answer: " + reason);
  } else if (choice.daemon) {
    choice.kind = PhonebookKind::NetworkManager;
    choice.why = "NetworkManager, as it answers on the system bus";
  } else {
    choice.why = "file phonebook, as NetworkManager does not answer on the system bus: " + reason;
  }
  return choice;
}

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt)
    : file_(file) {
  PhonebookChoice choice = ChoosePhonebook();
  std::fprintf(stderr, "verolink: phonebook: %s\n", choice.why.c_str());
  if (choice.kind == PhonebookKind::NetworkManager)
    nm_.emplace(std::move(choice.daemon), EntrySizeFromEnvironment(), codePage, prompt);
}

}  // namespace verolink::host
