// verolink-pppoe: the host build of the program. Fills the built-in profile,
// opens the main window and runs its events until the window is closed.

#include <FL/Fl.H>

#include "host_window_platform.h"
#include "main_window.h"
#include "start/profile.h"
#include "toolkit_setup.h"
#include "window/main_form.h"

int main() {
  using namespace verolink;
  basMain::SetCurrentProfile(basMain::BuiltInProfile());
  host::PrepareToolkit();

  host::HostWindowPlatform platform;
  ОсновнаяФорма form(platform.platform(), basMain::CurrentProfile());
  form.Initialize();
  form.Load();

  host::MainWindow window(form, platform.messageBoxes());
  window.ShowCentred();
  return Fl::run();
}
