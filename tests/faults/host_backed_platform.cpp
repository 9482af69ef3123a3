#include "host_backed_platform.h"

#include "phonebook/entry_listing.h"
#include "pppoe/pppoe_entry.h"

namespace verolink::faults {

HostBackedPlatform::HostBackedPlatform(const std::string& phonebookPath, std::uint32_t entrySize)
    : phonebook(phonebookPath, entrySize, codePage) {}

Profile HostBackedPlatform::ProfileNamed(const Text& connectionName) {
  Profile profile = basMain::BuiltInProfile();
  profile.ConnectionName = connectionName;
  return profile;
}

bool HostBackedPlatform::Create(const Text& connectionName) {
  Platform p = platform();
  return PPPoE::CreatePPPoEEntry(p, ProfileNamed(connectionName));
}

std::vector<Text> HostBackedPlatform::Listed() {
  Platform p = platform();
  std::vector<Text> names;
  const int count = modRASVPN::EnumRasEntries(p, names);
  names.resize(static_cast<std::size_t>(count));
  return names;
}

Text HostBackedPlatform::LastMessage() const {
  const auto& shown = fake.messageBoxes.shown;
  return shown.empty() ? Text() : shown.back().text;
}

}  // namespace verolink::faults
