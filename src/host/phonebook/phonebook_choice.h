#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_daemon.h"
#include "host/phonebook/nm_phonebook.h"

namespace verolink::host {

inline constexpr char kPhonebookKindVariable[] = "VEROLINK_PHONEBOOK_KIND";
// How long NetworkManager has to answer each call, the first one included.
inline constexpr std::chrono::milliseconds kNmTimeout{5000};

// The phonebook the program uses, picked when the object is made and said in
// one line on standard error: the file phonebook when
// $VEROLINK_PHONEBOOK_KIND is "file", or when it is not "networkmanager" and
// $VEROLINK_PHONEBOOK names a phonebook file; else NetworkManager's
// connections (with the entry size of the environment, asking logins through
// `prompt` and showing long waits in `waitView`), connected
// within `timeout`. Where NetworkManager does not
// answer, every call of that phonebook ends with its no-answer error.
class ChosenPhonebook {
 public:
  ChosenPhonebook(HostPhonebook& file, const CodePage& codePage, LoginPrompt& prompt,
                  std::chrono::milliseconds timeout = kNmTimeout, WaitView* waitView = nullptr);

  RasPhonebook& phonebook() { return nm_ ? static_cast<RasPhonebook&>(*nm_) : file_; }
  // The NetworkManager phonebook when it was chosen, else null.
  const NmPhonebook* networkManager() const { return nm_ ? &*nm_ : nullptr; }

 private:
  HostPhonebook& file_;
  std::optional<NmPhonebook> nm_;
};

}  // namespace verolink::host
