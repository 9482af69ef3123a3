#include "win32/process_launcher.h"

#include <algorithm>
#include <string>
#include <vector>

#include "win32/system_folder.h"
#include "win32/ui_services.h"
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
    return WaitForSingleObject(process_, WaitMilliseconds(timeout)) == WAIT_OBJECT_0;
  }

  // Sleeps until the process ends or a message arrives for the thread; each
  // arrival is one round of the window's events.
  bool WaitForExitProcessingEvents(std::chrono::milliseconds timeout, EventPump& events) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    bool pumping = true;
    for (;;) {
      const DWORD left = WaitMilliseconds(std::chrono::ceil<std::chrono::milliseconds>(
          deadline - std::min(Clock::now(), deadline)));
      if (!pumping) return WaitForExit(std::chrono::milliseconds(left));
      const DWORD woke = MsgWaitForMultipleObjects(1, &process_, FALSE, left, QS_ALLINPUT);
      if (woke == WAIT_OBJECT_0) return true;
      if (woke != WAIT_OBJECT_0 + 1) return false;  // the time is up, or the wait failed
      pumping = events.ProcessEventsFor(std::chrono::milliseconds(0));
      // Messages that keep coming must not stretch the wait past its end.
      if (left == 0) return WaitForExit(std::chrono::milliseconds(0));
    }
  }

 private:
  HANDLE process_;
};

// The program file of a command line whose first word is a bare name
// ("netsh"): that name, with ".exe" when it has no extension, in the native
// system folder, else in the system folder. Empty when the first word names a
// path (the command line then says itself which file it starts).
std::string SystemProgramFile(const std::string& commandLine, bool& bare) {
  const std::string word = commandLine.substr(0, commandLine.find(' '));
  bare = !word.empty() && word.find_first_of("\\/:\"") == std::string::npos;
  if (!bare) return {};
  const std::string file = word.find('.') == std::string::npos ? word + ".exe" : word;
  for (const std::string& folder : {NativeSystemFolder(), SystemFolder()}) {
    if (!folder.empty() && FileExists(folder + "\\" + file)) return folder + "\\" + file;
  }
  return {};
}

}  // namespace

std::unique_ptr<StartedProcess> Win32ProcessLauncher::Start(const Text& commandLine,
                                                            int windowStyle) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  const std::string ansi = codePage_.ToAnsi(commandLine);
  std::vector<char> line(ansi.begin(), ansi.end());
  line.push_back('\0');
  // A bare program name would be looked for in the program's folder and the
  // current directory first; it is started from the system folder instead,
  // with the command line's text unchanged.
  bool bare = false;
  const std::string program = SystemProgramFile(ansi, bare);
  if (bare && program.empty()) {
    throw ProcessStartError("cannot start " + ansi + ": not in the system folder");
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle);
  // A hidden console program gets no console window at all: Windows 11's
  // default terminal does not follow the show command.
  const DWORD flags = windowStyle == kWindowHidden ? CREATE_NO_WINDOW : 0;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(bare ? program.c_str() : nullptr, line.data(), nullptr, nullptr, FALSE, flags,
                      nullptr, nullptr, &startup, &process)) {
    throw ProcessStartError("cannot start " + ansi + " (error " + std::to_string(GetLastError()) +
                            ")");
  }
  CloseHandle(process.hThread);
  return std::make_unique<Win32Process>(process.hProcess);
}

}  // namespace verolink::win32
