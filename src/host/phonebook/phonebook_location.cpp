#include "host/phonebook/phonebook_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "host/phonebook/entry_fields.h"

namespace verolink::host {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string HomeFolder() {
  std::string home = Variable("HOME");
  if (!home.empty()) return home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return ".";
}

}  // namespace

std::string DefaultPhonebookPath() {
  if (std::string path = Variable(kPhonebookVariable); !path.empty()) return path;
  std::string config = Variable("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = HomeFolder() + "/.config";
  return config + "/verolink/phonebook.pbk";
}

std::uint32_t EntrySizeFromEnvironment() {
  return ParseDecimal(Variable(kEntrySizeVariable)).value_or(kDefaultEntrySize);
}

}  // namespace verolink::host
