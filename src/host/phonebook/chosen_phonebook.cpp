#include "host/phonebook/chosen_phonebook.h"

#include <cstdio>

#include "host/phonebook/phonebook_choice.h"
#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

ChosenPhonebook::ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt)
    : file_(file) {
  PhonebookChoice choice = ChoosePhonebook();
  std::fprintf(stderr, "verolink: phonebook: %s\n", choice.why.c_str());
  if (choice.kind == PhonebookKind::NetworkManager)
    nm_.emplace(std::move(choice.daemon), EntrySizeFromEnvironment(), codePage, prompt);
}

RasPhonebook& ChosenPhonebook::phonebook() {
  if (nm_) return *nm_;
  return file_;
}

}  // namespace verolink::host
