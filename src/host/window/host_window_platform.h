#pragma once

#include "host/desktop/host_shell.h"
#include "host/phonebook/phonebook_choice.h"
#include "host/system/host_facilities.h"
#include "host/system/host_process.h"
#include "host/window/fltk_login_prompt.h"
#include "host/window/fltk_message_boxes.h"
#include "start/platform.h"

namespace verolink::host {

// Every facility of the windowed host program: the phonebook side from the
// environment (the file phonebook or NetworkManager's, see
// phonebook_choice.h; the latter asks the login in an FLTK dialog), the
// desktop side (shell objects on the user's desktop, netsh
// and xdg-open as processes), and FLTK's message boxes and event pump.
class HostWindowPlatform {
 public:
  HostWindowPlatform();
  HostWindowPlatform(const HostWindowPlatform&) = delete;
  HostWindowPlatform& operator=(const HostWindowPlatform&) = delete;

  Platform& platform() { return bundle_; }
  MessageBoxes& messageBoxes() { return messageBoxes_; }

 private:
  HostPhonebookFacilities phonebookSide_;
  FltkLoginPrompt loginPrompt_;
  ChosenPhonebook phonebook_{phonebookSide_.phonebook, phonebookSide_.codePage, loginPrompt_};
  HostAutomationObjects automation_;
  HostFileDeletion files_;
  HostProcessLauncher processes_;
  HostBrowser browser_{phonebookSide_.codePage};
  FltkMessageBoxes messageBoxes_;
  FltkEventPump eventPump_;
  HostSleeper sleeper_;
  HostCommonControls commonControls_;
  Platform bundle_;
};

}  // namespace verolink::host
