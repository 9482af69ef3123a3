// Support for the check programs and benchmarks (not the product): the host
// phonebook side with console stand-ins for the desktop and the window.
#pragma once

#include "console_stand_ins.h"
#include "host/system/host_facilities.h"
#include "start/platform.h"

namespace verolink::host {

// A whole platform for a console program that works with the phonebook: the
// phonebook side from the environment, message boxes on standard error, and
// no shell objects, processes or window.
class ConsolePlatform {
 public:
  ConsolePlatform() = default;
  ConsolePlatform(const ConsolePlatform&) = delete;
  ConsolePlatform& operator=(const ConsolePlatform&) = delete;

  Platform platform();
  HostPhonebookFacilities& phonebookSide() { return phonebookSide_; }

 private:
  HostPhonebookFacilities phonebookSide_;
  UnavailableAutomation automation_;
  NoFileDeletion files_;
  NoProcesses processes_;
  ConsoleBrowser browser_;
  ConsoleMessageBoxes messageBoxes_;
  NoEventPump eventPump_;
  HostSleeper sleeper_;
  HostCommonControls commonControls_;
};

}  // namespace verolink::host
