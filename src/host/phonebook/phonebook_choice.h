#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_daemon.h"
#include "host/phonebook/nm_phonebook.h"

namespace verolink::host {

inline constexpr char kPhonebookKindVariable[] = "VEROLINK_PHONEBOOK_KIND";
// How long NetworkManager has to answer each call, the first one included.
inline constexpr std::chrono::milliseconds kNmTimeout{5000};

enum class PhonebookKind { File, NetworkManager };

struct PhonebookChoice {
  PhonebookKind kind = PhonebookKind::File;
  std::unique_ptr<NmDaemon> daemon;  // NetworkManager, when it answered
  std::string why;                   // which phonebook and why, one line
};

// The phonebook the program uses: $VEROLINK_PHONEBOOK_KIND "file" or
// "networkmanager" when set to one of them; else the file phonebook when
// $VEROLINK_PHONEBOOK names a phonebook file; else NetworkManager when it
// answers on the system bus within `timeout`; else the file phonebook.
PhonebookChoice ChoosePhonebook(std::chrono::milliseconds timeout = kNmTimeout);

// The phonebook ChoosePhonebook() picks when the object is made, said in one
// line on standard error: the given file phonebook, or NetworkManager's
// connections with the entry size of the environment, asking logins through
// `prompt`.
class ChosenPhonebook {
 public:
  ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt);

  RasPhonebook& phonebook() { return nm_ ? static_cast<RasPhonebook&>(*nm_) : file_; }
  // The NetworkManager phonebook when it was chosen, else null.
  const NmPhonebook* networkManager() const { return nm_ ? &*nm_ : nullptr; }

 private:
  HostPhonebook& file_;
  std::optional<NmPhonebook> nm_;
};

}  // namespace verolink::host
