// verolink-pppoe: the host build of the program. Start-up fills the built-in
// profile and opens the main window; its events run until it is closed.

#include "start/main.h"

#include <FL/Fl.H>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/desktop/host_shell.h"
#include "host/phonebook/phonebook_choice.h"
#include "host/system/host_facilities.h"
#include "host/system/host_process.h"
#include "host/window/fltk_dialogs.h"
#include "host/window/main_window.h"
#include "start/platform.h"

namespace {

using namespace verolink;
using namespace verolink::host;

// Every facility of the program: the phonebook side from the environment (the
// file phonebook or NetworkManager's, see phonebook_choice.h; the latter asks
// the login in an FLTK dialog), the desktop side (shell objects on the user's
// desktop, netsh and xdg-open as processes), and FLTK's message boxes and
// event pump.
struct WindowPlatform {
  WindowPlatform()
      : automation({// Network Connections lists the phonebook's entries.
                    [this] { return ListedConnections(bundle); }, phonebookSide.phonebook.path(),
                    ConnectionUuids()}),
        files(phonebookSide.codePage, phonebook.networkManager() != nullptr),
        bundle{phonebook.phonebook(),
               phonebookSide.systemMessages,
               phonebookSide.memory,
               phonebookSide.eventLog,
               phonebookSide.codePage,
               automation,
               files,
               processes,
               browser,
               messageBoxes,
               eventPump,
               sleeper,
               commonControls} {}

  // With NetworkManager's phonebook, the launchers start a connection by
  // its UUID.
  std::function<std::string(const Text&)> ConnectionUuids() {
    const NmPhonebook* nm = phonebook.networkManager();
    if (nm == nullptr) return nullptr;
    return [nm](const Text& name) { return nm->UuidOf(name); };
  }

  HostPhonebookFacilities phonebookSide;
  FltkLoginPrompt loginPrompt;
  ChosenPhonebook phonebook{phonebookSide.phonebook, phonebookSide.codePage, loginPrompt};
  HostAutomationObjects automation;
  HostFileDeletion files;
  HostProcessLauncher processes;
  HostBrowser browser{phonebookSide.codePage};
  FltkMessageBoxes messageBoxes;
  FltkEventPump eventPump;
  HostSleeper sleeper;
  HostCommonControls commonControls;
  Platform bundle;
};

// The FLTK window is built from the loaded form, so it is made when start-up
// shows it.
class FltkShell : public MainWindowShell {
 public:
  explicit FltkShell(MessageBoxes& messageBoxes) : messageBoxes_(messageBoxes) {}
  void Create(ОсновнаяФорма&) override {}
  void Show(ОсновнаяФорма& form) override {
    window_ = std::make_unique<MainWindow>(form, messageBoxes_);
    window_->ShowCentred();
  }

 private:
  MessageBoxes& messageBoxes_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace

int main() {
  // The host's look, set before the first widget is made: FLTK's "gtk+"
  // scheme in place of the desktop's visual style, and 12-pixel text as the
  // default font (close to the platform's 8-point font at 96 dots per inch,
  // so the design's captions fit their frames).
  FL_NORMAL_SIZE = 12;
  Fl::scheme("gtk+");
  WindowPlatform platform;
  FltkShell shell(platform.messageBoxes);
  const auto form = basMain::Main(platform.bundle, shell);
  return Fl::run();
}
