#pragma once

// The program's core against the real host phonebook file and code page, with
// the test doubles for everything else (message boxes, event log, desktop).

#include <cstdint>
#include <string>
#include <vector>

#include "doubles/fake_platform.h"
#include "host/phonebook/host_phonebook.h"
#include "host/system/host_code_page.h"
#include "start/profile.h"

namespace verolink::faults {

class HostBackedPlatform {
 public:
  explicit HostBackedPlatform(const std::string& phonebookPath, std::uint32_t entrySize = 2884);

  Platform platform() { return fake.platformWith(phonebook, codePage); }

  // The built-in profile under another connection name.
  static Profile ProfileNamed(const Text& connectionName);
  // CreatePPPoEEntry for that name: whether the entry was written.
  bool Create(const Text& connectionName);
  // The names EnumRasEntries lists.
  std::vector<Text> Listed();
  // The text of the last message box shown, empty when none was.
  Text LastMessage() const;

  host::HostCodePage codePage{host::kDefaultCodePageName};
  host::HostPhonebook phonebook;
  testing::FakePlatform fake;
};

}  // namespace verolink::faults
