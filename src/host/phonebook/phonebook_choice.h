#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "host/phonebook/nm_daemon.h"

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

}  // namespace verolink::host
