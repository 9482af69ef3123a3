#pragma once

#include "common/code_page.h"
#include "desktop/process_launcher.h"

namespace verolink::win32 {

// CreateProcessA with the window style as the start-up show command; the
// command line goes in as ANSI text. A command line that begins with a bare
// program name ("netsh ...") starts that program from the system folder only
// (the native one through Sysnative for a 32-bit process on 64-bit Windows),
// never from the program's folder or the current directory; a hidden one gets
// CREATE_NO_WINDOW too. Start raises ProcessStartError when the program is not
// there or cannot be started, else returns the started process.
class Win32ProcessLauncher : public ProcessLauncher {
 public:
  explicit Win32ProcessLauncher(const CodePage& codePage) : codePage_(codePage) {}
  std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::win32
