// The Windows program: start-up opens the main window, then its message loop
// runs until the window is closed.
#include <memory>

#include "start/main.h"
#include "win32/main_window.h"
#include "win32/shell_objects.h"
#include "win32/ui_services.h"
#include "win32/win32_platform.h"
#include "win32/windows_api.h"

using namespace verolink;

namespace {

// Makes the screen window once the form object exists and shows it once the
// form has loaded.
class Win32Shell : public MainWindowShell {
 public:
  Win32Shell(HINSTANCE instance, win32::Win32Platform& platform, int showCommand)
      : instance_(instance), platform_(platform), showCommand_(showCommand) {}

  void Create(ОсновнаяФорма& form) override {
    auto window = std::make_unique<win32::MainWindow>(instance_, form, platform_.platform());
    if (!window->Create()) return;
    window_ = std::move(window);
    platform_.AttachMainWindow(window_->handle());
  }
  void Show(ОсновнаяФорма&) override {
    if (window_ == nullptr) return;
    window_->ShowFormState();
    window_->Show(showCommand_);
  }
  HWND handle() const { return window_ != nullptr ? window_->handle() : nullptr; }

 private:
  HINSTANCE instance_;
  win32::Win32Platform& platform_;
  int showCommand_;
  std::unique_ptr<win32::MainWindow> window_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  win32::ComApartment com;
  win32::Win32Platform platform;
  Win32Shell shell(instance, platform, showCommand);
  const auto form = basMain::Main(platform.platform(), shell);
  if (shell.handle() == nullptr) return 1;

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    win32::DispatchWindowMessage(shell.handle(), message);
  }
  return 0;
}
