#include "console_platform.h"

namespace verolink::host {

Platform ConsolePlatform::platform() {
  HostPhonebookFacilities& p = phonebookSide_;
  return Platform{p.phonebook, p.systemMessages, p.memory,       p.eventLog, p.codePage,
                  automation_, files_,           processes_,     browser_,   messageBoxes_,
                  eventPump_,  sleeper_,         commonControls_};
}

}  // namespace verolink::host
