// The Windows program: basMain's start-up, then the main window's message
// loop until the window is closed.
#include "start/profile.h"
#include "win32/main_window.h"
#include "win32/shell_objects.h"
#include "win32/ui_services.h"
#include "win32/win32_platform.h"
#include "win32/windows_api.h"
#include "window/main_form.h"

using namespace verolink;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  win32::ComApartment com;
  basMain::SetCurrentProfile(basMain::BuiltInProfile());
  win32::Win32Platform platform;

  ОсновнаяФорма form(platform.platform(), basMain::CurrentProfile());
  form.Initialize();
  win32::MainWindow window(instance, form, platform.platform());
  if (!window.Create()) return 1;
  platform.AttachMainWindow(window.handle());
  form.Load();
  window.ShowFormState();
  window.Show(showCommand);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    win32::DispatchWindowMessage(window.handle(), message);
  }
  return 0;
}
