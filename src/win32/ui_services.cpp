#include "win32/ui_services.h"

#include "win32/wide_text.h"

namespace verolink::win32 {

int Win32MessageBoxes::Show(const Text& text, int style, const Text& title) {
  HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
  return MessageBoxW(owner, Wide(text), Wide(title), static_cast<UINT>(style));
}

void DispatchWindowMessage(HWND dialogWindow, MSG& message) {
  if (dialogWindow != nullptr && IsDialogMessageW(dialogWindow, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32EventPump::ProcessPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchWindowMessage(window_, message);
  }
}

void Win32Sleeper::SleepMilliseconds(int milliseconds) {
  Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}

}  // namespace verolink::win32
