#include "win32/process_launcher.h"

#include <string>
#include <vector>

#include "win32/windows_api.h"

namespace verolink::win32 {

namespace {

class Win32Process : public StartedProcess {
 public:
  explicit Win32Process(HANDLE process) : process_(process) {}
  ~Win32Process() override { CloseHandle(process_); }
  Win32Process(const Win32Process&) = delete;
  Win32Process& operator=(const Win32Process&) = delete;

  bool WaitForExit(std::chrono::milliseconds timeout) override {
    const auto ms = timeout.count() < 0 ? 0 : static_cast<DWORD>(timeout.count());
    return WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
  }

 private:
  HANDLE process_;
};

}  // namespace

std::unique_ptr<StartedProcess> Win32ProcessLauncher::Start(const Text& commandLine,
                                                            int windowStyle) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  const std::string ansi = codePage_.ToAnsi(commandLine);
  std::vector<char> line(ansi.begin(), ansi.end());
  line.push_back('\0');

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    throw ProcessStartError("cannot start " + ansi + " (error " + std::to_string(GetLastError()) +
                            ")");
  }
  CloseHandle(process.hThread);
  return std::make_unique<Win32Process>(process.hProcess);
}

}  // namespace verolink::win32
