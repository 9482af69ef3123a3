#include "host/phonebook/chosen_phonebook.h"

#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt)
    : file_(file) {
  if (ChosenPhonebookKind() == PhonebookKind::NetworkManager) {
    nm_.emplace(NetworkManagerConnectionsFolder(), EntrySizeFromEnvironment(), codePage, prompt);
  }
}

RasPhonebook& ChosenPhonebook::phonebook() {
  if (nm_) return *nm_;
  return file_;
}

}  // namespace verolink::host
