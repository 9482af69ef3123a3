#pragma once

#include "common/code_page.h"
#include "window/ui_services.h"

namespace verolink::host {

// Opens an address with the desktop's handler: `xdg-open <address>`, detached,
// output on /dev/null. Failures are ignored; only the verb "open" does
// anything. The show command has no meaning here.
class HostBrowser : public Browser {
 public:
  explicit HostBrowser(const CodePage& codePage) : codePage_(codePage) {}
  void ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::host
