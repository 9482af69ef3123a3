#include "console_stand_ins.h"

#include <cstdio>
#include <thread>

namespace verolink::host {

int ConsoleMessageBoxes::Show(const Text& text, int style, const Text& title) {
  std::fprintf(stderr, "%s: %s\n", ToUtf8(title).c_str(), ToUtf8(text).c_str());
  return (style & 0xF) == kMbYesNo ? yesNoAnswer_ : kAnswerOk;
}

std::unique_ptr<ShellApplication> UnavailableAutomation::CreateShellApplication() {
  throw AutomationError("Shell.Application is not available in a console program");
}

std::unique_ptr<ScriptHost> UnavailableAutomation::CreateScriptHost() {
  throw AutomationError("WScript.Shell is not available in a console program");
}

void NoFileDeletion::DeleteFile(const std::string&) {}

std::unique_ptr<StartedProcess> NoProcesses::Start(const Text& commandLine, int) {
  throw ProcessStartError("not started in a console check: " + ToUtf8(commandLine));
}

void ConsoleBrowser::ShellExecute(const std::string& verb, const std::string& file,
                                  const std::string&, const std::string&, int) {
  std::fprintf(stderr, "%s %s\n", verb.c_str(), file.c_str());
}

bool NoEventPump::ProcessEventsFor(std::chrono::milliseconds longest) {
  if (longest.count() > 0) std::this_thread::sleep_for(longest);
  return true;
}

}  // namespace verolink::host
