#pragma once

#include "start/platform.h"
#include "win32/browser.h"
#include "win32/code_page.h"
#include "win32/common_controls.h"
#include "win32/event_log.h"
#include "win32/file_deletion.h"
#include "win32/local_memory.h"
#include "win32/process_launcher.h"
#include "win32/ras_phonebook.h"
#include "win32/shell_objects.h"
#include "win32/system_messages.h"
#include "win32/ui_services.h"
#include "win32/windows_api.h"

namespace verolink::win32 {

// Every platform facility on Windows, owned here and handed to the program as
// one Platform bundle. COM must be initialised before the automation objects
// are used (ComApartment).
class Win32Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }

  // Message boxes are owned by the main window, and pending events go through
  // its keyboard navigation.
  void AttachMainWindow(HWND window) {
    messageBoxes_.SetOwner(window);
    eventPump_.SetDialogWindow(window);
  }

 private:
  AnsiCodePage codePage_;
  Rasapi32Phonebook phonebook_;
  SystemMessageTable systemMessages_;
  LocalMemory memory_;
  ApplicationEventLog eventLog_{codePage_};
  ComAutomationObjects automation_;
  Win32FileDeletion files_;
  Win32ProcessLauncher processes_{codePage_};
  ShellBrowser browser_;
  Win32MessageBoxes messageBoxes_;
  Win32EventPump eventPump_;
  Win32Sleeper sleeper_;
  Comctl32Controls commonControls_;
  Platform platform_{phonebook_,  systemMessages_, memory_,        eventLog_, codePage_,
                     automation_, files_,          processes_,     browser_,  messageBoxes_,
                     eventPump_,  sleeper_,        commonControls_};
};

}  // namespace verolink::win32
