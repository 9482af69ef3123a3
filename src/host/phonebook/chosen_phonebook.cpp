#include "host/phonebook/chosen_phonebook.h"

#include "host/phonebook/nm_connection_index.h"
#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt)
    : file_(file) {
  if (ChosenPhonebookKind() == PhonebookKind::NetworkManager) {
    const std::string folder = NetworkManagerConnectionsFolder();
    nm_.emplace(folder, EntrySizeFromEnvironment(), codePage, prompt, RequestConnectionReload,
                ConnectionIndexPath(folder));
  }
}

RasPhonebook& ChosenPhonebook::phonebook() {
  if (nm_) return *nm_;
  return file_;
}

}  // namespace verolink::host
