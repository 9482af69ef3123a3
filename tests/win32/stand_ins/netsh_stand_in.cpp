// A stand-in netsh.exe for the Wine tests, a console program as netsh is:
// records when it starts (with its arguments, the window style it was started
// with, "-" for none, and whether it has a console window) and when
// it ends, in netsh.log beside itself. Settings (netsh.ini):
//   run_ms=N        how long each command runs (default 300)
//   exit.WORD=N     exit status of a command whose last argument is WORD
#include <windows.h>

#include <algorithm>
#include <string>

#include "stand_in_files.h"

using namespace verolink::stand_in;

// The command line after the program's own name, as WinMain would get it.
std::string Arguments() {
  const std::string line = GetCommandLineA();
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    i = line.find('"', 1);
    i = i == std::string::npos ? line.size() : i + 1;
  } else {
    i = std::min(line.find(' '), line.size());
  }
  while (i < line.size() && line[i] == ' ') ++i;
  return line.substr(i);
}

int main() {
  const std::string folder = FolderOf(nullptr);
  auto settings = ReadSettings(folder + "netsh.ini");
  const std::string args = Arguments();
  const std::string last = args.substr(args.find_last_of(' ') + 1);
  const int status = static_cast<int>(SettingNumber(settings, "exit." + last, 0));
  const std::string log = folder + "netsh.log";
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  const std::string show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                               ? std::to_string(startup.wShowWindow)
                               : std::string("-");
  // Like the real netsh, a console program: started hidden it must get no
  // console window (CREATE_NO_WINDOW), which a show command cannot hide on
  // every system.
  const std::string console = GetConsoleWindow() == nullptr ? "none" : "window";
  Record(log,
         "start\t" + args + "\t" + std::to_string(GetTickCount64()) + "\t" + show + "\t" + console);
  Sleep(static_cast<DWORD>(SettingNumber(settings, "run_ms", 300)));
  Record(log,
         "end\t" + args + "\t" + std::to_string(GetTickCount64()) + "\t" + std::to_string(status));
  return status;
}
