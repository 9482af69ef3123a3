#pragma once

#include "common/message_boxes.h"
#include "win32/windows_api.h"
#include "window/ui_services.h"

namespace verolink::win32 {

// MessageBoxW, owned by the main window once it exists.
class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(const Text& text, int style, const Text& title) override;
  void SetOwner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

// Processes the pending window messages, with the main window's keyboard
// navigation; a WM_QUIT met on the way is put back for the main loop, and
// tells ProcessEventsFor that the program is ending.
class Win32EventPump : public EventPump {
 public:
  void ProcessPendingEvents() override;
  // MsgWaitForMultipleObjects for any input, then the pending messages.
  bool ProcessEventsFor(std::chrono::milliseconds longest) override;
  void SetDialogWindow(HWND window) { window_ = window; }

 private:
  // False when WM_QUIT was met.
  bool ProcessPending();

  HWND window_ = nullptr;
};

// A duration as the milliseconds of a wait call: 0 for none or a negative
// one, kept below INFINITE so that a wait always ends.
DWORD WaitMilliseconds(std::chrono::milliseconds duration);

// Dispatches one message to its window, letting the main window's dialog
// navigation (tab order, Space on the focused control) take it first.
void DispatchWindowMessage(HWND dialogWindow, MSG& message);

class Win32Sleeper : public Sleeper {
 public:
  void SleepMilliseconds(int milliseconds) override;
};

}  // namespace verolink::win32
