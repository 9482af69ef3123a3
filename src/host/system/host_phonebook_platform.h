// Host system facilities: processes, the code page, the event log (syslog),
// message texts, memory, atomic files, the user's folders, console stand-ins.
#pragma once

#include "host/phonebook/host_phonebook.h"
#include "host/system/console_stand_ins.h"
#include "host/system/host_code_page.h"
#include "host/system/host_event_log.h"
#include "host/system/host_memory_blocks.h"
#include "host/system/host_system_messages.h"
#include "host/system/host_ui.h"
#include "start/platform.h"

namespace verolink::host {

// The phonebook side of the host platform, set up from the environment: the
// code page, the phonebook file, the system messages, memory and the event
// log. A program with a window adds its own desktop and window facilities.
struct HostPhonebookFacilities {
  HostPhonebookFacilities() = default;
  HostPhonebookFacilities(const HostPhonebookFacilities&) = delete;
  HostPhonebookFacilities& operator=(const HostPhonebookFacilities&) = delete;

  HostCodePage codePage = HostCodePage::FromEnvironment();  // first: the others use it
  HostPhonebook phonebook = HostPhonebook::FromEnvironment(codePage);
  HostSystemMessages systemMessages{codePage};
  HostMemoryBlocks memory;
  HostEventLog eventLog;
};

// The console stand-ins for everything else.
struct ConsoleFacilities {
  UnavailableAutomation automation;
  NoFileDeletion files;
  NoProcesses processes;
  ConsoleBrowser browser;
  ConsoleMessageBoxes messageBoxes;
  NoEventPump eventPump;
  HostSleeper sleeper;
  HostCommonControls commonControls;
};

// A whole platform for a console program that works with the phonebook.
class HostPhonebookPlatform {
 public:
  HostPhonebookPlatform() = default;
  HostPhonebookPlatform(const HostPhonebookPlatform&) = delete;
  HostPhonebookPlatform& operator=(const HostPhonebookPlatform&) = delete;

  Platform platform();
  HostPhonebookFacilities& phonebookSide() { return phonebookSide_; }

 private:
  HostPhonebookFacilities phonebookSide_;
  ConsoleFacilities console_;
};

}  // namespace verolink::host
