#include "host/phonebook/phonebook_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <memory>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/system/user_folders.h"

namespace verolink::host {

std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string DefaultPhonebookPath() {
  if (std::string path = EnvironmentVariable(kPhonebookVariable); !path.empty()) return path;
  std::string config = XdgBaseFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) config = "./.config";  // no home folder known: the working folder's
  return config + "/verolink/phonebook.pbk";
}

RasError ResolvePhonebookLink(const std::string& path, std::string& target) {
  target = path;
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    if (errno == ELOOP) return kErrorPhonebookLinkLoop;  // among the folders above it
    return kRasSuccess;  // not there yet; any other trouble shows when it is opened
  }
  if (!S_ISLNK(st.st_mode)) return kRasSuccess;
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                             &std::free);
  if (resolved == nullptr) {
    if (errno == ELOOP) return kErrorPhonebookLinkLoop;
    if (errno == ENOENT || errno == ENOTDIR) return kErrorDanglingPhonebookLink;
    return kErrorCannotOpenPhonebook;
  }
  target = resolved.get();
  return kRasSuccess;
}

std::uint32_t EntrySizeFromEnvironment() {
  const std::string text = EnvironmentVariable(kEntrySizeVariable);
  std::uint32_t size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  return error == std::errc() && end == text.data() + text.size() ? size : kDefaultEntrySize;
}

}  // namespace verolink::host
