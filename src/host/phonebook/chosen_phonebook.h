#pragma once

#include <optional>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_phonebook.h"

namespace verolink::host {

// The phonebook ChoosePhonebook() picks when the object is made, said in one
// line on standard error: the given file phonebook, or NetworkManager's
// connections with the entry size of the environment, asking logins through
// `prompt`.
class ChosenPhonebook {
 public:
  ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt);

  RasPhonebook& phonebook();
  // The NetworkManager phonebook when it was chosen, else null.
  const NmPhonebook* networkManager() const { return nm_ ? &*nm_ : nullptr; }

 private:
  HostPhonebook& file_;
  std::optional<NmPhonebook> nm_;
};

}  // namespace verolink::host
