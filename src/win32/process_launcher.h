#pragma once

#include "common/code_page.h"
#include "desktop/process_launcher.h"

namespace verolink::win32 {

// CreateProcessA with the window style as the start-up show command; the
// command line goes in as ANSI text.
class Win32ProcessLauncher : public ProcessLauncher {
 public:
  explicit Win32ProcessLauncher(const CodePage& codePage) : codePage_(codePage) {}
  std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::win32
