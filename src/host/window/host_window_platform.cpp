#include "host/window/host_window_platform.h"

#include <vector>

#include "phonebook/entry_listing.h"

namespace verolink::host {

HostWindowPlatform::HostWindowPlatform()
    : automation_(HostShellOptions{// Network Connections lists the phonebook's entries.
                                   [this] {
                                     std::vector<Text> names;
                                     modRASVPN::EnumRasEntries(bundle_, names);
                                     return names;
                                   },
                                   phonebookSide_.phonebook.path(),
                                   phonebook_.networkManager() != nullptr}),
      files_(phonebookSide_.codePage, phonebook_.networkManager() != nullptr),
      bundle_{phonebook_.phonebook(),
              phonebookSide_.systemMessages,
              phonebookSide_.memory,
              phonebookSide_.eventLog,
              phonebookSide_.codePage,
              automation_,
              files_,
              processes_,
              browser_,
              messageBoxes_,
              eventPump_,
              sleeper_,
              commonControls_} {}

}  // namespace verolink::host
