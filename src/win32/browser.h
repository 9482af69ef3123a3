#pragma once

#include "win32/dynamic_library.h"
#include "window/ui_services.h"

namespace verolink::win32 {

// ShellExecuteA of shell32.dll with no owner window; raises PlatformError
// when shell32 or the function is missing.
class ShellBrowser : public Browser {
 public:
  ShellBrowser() : shell32_("shell32.dll") {}
  void ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) override;

 private:
  DynamicLibrary shell32_;
};

}  // namespace verolink::win32
