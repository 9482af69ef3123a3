#include "host/phonebook/phonebook_choice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

namespace {

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

bool WritableFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(path.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string NetworkManagerConnectionsFolder() {
  const std::string_view chosen = Variable(kNmConnectionsVariable);
  return chosen.empty() ? std::string(kDefaultNmConnections) : std::string(chosen);
}

PhonebookKind ChosenPhonebookKind() {
  const std::string_view forced = Variable(kPhonebookKindVariable);
  if (forced == "file") return PhonebookKind::File;
  if (forced == "networkmanager") return PhonebookKind::NetworkManager;
  if (!Variable(kPhonebookVariable).empty()) return PhonebookKind::File;
  return WritableFolder(NetworkManagerConnectionsFolder()) ? PhonebookKind::NetworkManager
                                                           : PhonebookKind::File;
}

}  // namespace verolink::host
