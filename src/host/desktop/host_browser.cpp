#include "host/desktop/host_browser.h"

#include <exception>

#include "host/system/host_process.h"

namespace verolink::host {

void HostBrowser::ShellExecute(const std::string& verb, const std::string& file,
                               const std::string& /*parameters*/, const std::string& /*directory*/,
                               int /*showCommand*/) {
  if (verb != "open") return;
  const std::string address = ToUtf8(codePage_.FromAnsi(file));
  // An address starting with '-' would be taken for an option of xdg-open.
  if (address.empty() || address.front() == '-') return;
  try {
    // Not waited for: dropping it leaves the reaping to a background thread.
    HostStartedProcess opener(SpawnQuietly({"xdg-open", address}));
  } catch (const std::exception&) {
    // No xdg-open: the window stays as it was.
  }
}

}  // namespace verolink::host
