#include "host/system/host_phonebook_platform.h"

namespace verolink::host {

Platform HostPhonebookPlatform::platform() {
  HostPhonebookFacilities& p = phonebookSide_;
  ConsoleFacilities& c = console_;
  return Platform{p.phonebook,  p.systemMessages, p.memory,        p.eventLog, p.codePage,
                  c.automation, c.files,          c.processes,     c.browser,  c.messageBoxes,
                  c.eventPump,  c.sleeper,        c.commonControls};
}

}  // namespace verolink::host
