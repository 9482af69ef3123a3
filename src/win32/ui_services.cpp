#include "win32/ui_services.h"

#include "win32/wide_text.h"

namespace verolink::win32 {

int Win32MessageBoxes::Show(const Text& text, int style, const Text& title) {
  HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
  return MessageBoxW(owner, Wide(text), Wide(title), static_cast<UINT>(style));
}

DWORD WaitMilliseconds(std::chrono::milliseconds duration) {
  const auto count = duration.count();
  if (count <= 0) return 0;
  return count >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(count);
}

void DispatchWindowMessage(HWND dialogWindow, MSG& message) {
  if (dialogWindow != nullptr && IsDialogMessageW(dialogWindow, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool Win32EventPump::ProcessPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    DispatchWindowMessage(window_, message);
  }
  return true;
}

void Win32EventPump::ProcessPendingEvents() { ProcessPending(); }

bool Win32EventPump::ProcessEventsFor(std::chrono::milliseconds longest) {
  if (longest.count() > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, WaitMilliseconds(longest), QS_ALLINPUT);
  }
  return ProcessPending();
}

void Win32Sleeper::SleepMilliseconds(int milliseconds) {
  Sleep(WaitMilliseconds(std::chrono::milliseconds(milliseconds)));
}

}  // namespace verolink::win32
