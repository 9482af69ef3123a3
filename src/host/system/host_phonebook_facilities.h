// Host system facilities: processes, the code page, the event log (syslog),
// message texts, memory, atomic files and the user's folders.
#pragma once

#include "host/phonebook/host_phonebook.h"
#include "host/system/host_code_page.h"
#include "host/system/host_event_log.h"
#include "host/system/host_memory_blocks.h"
#include "host/system/host_system_messages.h"

namespace verolink::host {

// The phonebook side of the host platform, set up from the environment: the
// code page, the phonebook file, the system messages, memory and the event
// log. A program adds its own desktop and window facilities.
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

}  // namespace verolink::host
