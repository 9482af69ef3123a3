#pragma once

#include <memory>
#include <string>

#include "common/message_boxes.h"
#include "desktop/automation.h"
#include "desktop/process_launcher.h"
#include "window/ui_services.h"

namespace verolink::host {

// Stand-ins for the desktop and window facilities in a console program.

// Prints each box to standard error as "title: text" and answers it at once:
// OK for an OK box, `yesNoAnswer` (No unless told otherwise) for a Yes/No box.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(int yesNoAnswer = kAnswerNo) : yesNoAnswer_(yesNoAnswer) {}
  int Show(const Text& text, int style, const Text& title) override;

 private:
  int yesNoAnswer_;
};

// No shell objects exist in a console: each creation raises AutomationError.
class UnavailableAutomation : public AutomationObjects {
 public:
  std::unique_ptr<ShellApplication> CreateShellApplication() override;
  std::unique_ptr<ScriptHost> CreateScriptHost() override;
};

// Deletes nothing; a console check never removes the user's files.
class NoFileDeletion : public FileDeletion {
 public:
  void DeleteFile(const std::string& ansiPath) override;
  char16_t PathSeparator() const override { return u'/'; }
};

// Starts nothing: each start raises ProcessStartError.
class NoProcesses : public ProcessLauncher {
 public:
  std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) override;
};

// Prints the address it would open to standard error.
class ConsoleBrowser : public Browser {
 public:
  void ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) override;
};

// There is no window: nothing to process, and a wait for events only waits.
class NoEventPump : public EventPump {
 public:
  void ProcessPendingEvents() override {}
  bool ProcessEventsFor(std::chrono::milliseconds longest) override;
};

}  // namespace verolink::host
