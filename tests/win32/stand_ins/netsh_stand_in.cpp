// A stand-in netsh.exe for the Wine tests: records when it starts (with its
// arguments and the window style it was started with, "-" for none) and when
// it ends, in netsh.log beside itself. Settings (netsh.ini):
//   run_ms=N        how long each command runs (default 300)
//   exit.WORD=N     exit status of a command whose last argument is WORD
#include <windows.h>

#include <string>

#include "stand_in_files.h"

using namespace verolink::stand_in;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  const std::string folder = FolderOf(nullptr);
  auto settings = ReadSettings(folder + "netsh.ini");
  const std::string args(arguments);
  const std::string last = args.substr(args.find_last_of(' ') + 1);
  const int status = static_cast<int>(SettingNumber(settings, "exit." + last, 0));
  const std::string log = folder + "netsh.log";
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  const std::string show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                               ? std::to_string(startup.wShowWindow)
                               : std::string("-");
  Record(log, "start\t" + args + "\t" + std::to_string(GetTickCount64()) + "\t" + show);
  Sleep(static_cast<DWORD>(SettingNumber(settings, "run_ms", 300)));
  Record(log,
         "end\t" + args + "\t" + std::to_string(GetTickCount64()) + "\t" + std::to_string(status));
  return status;
}
