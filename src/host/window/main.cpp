// verolink-pppoe: the host build of the program. Start-up fills the built-in
// profile and opens the main window; its events run until it is closed.

#include "start/main.h"

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/connect/connect_mode.h"
#include "host/desktop/host_shell.h"
#include "host/phonebook/phonebook_choice.h"
#include "host/system/host_facilities.h"
#include "host/system/host_process.h"
#include "host/window/gtk_dialogs.h"
#include "host/window/main_window.h"
#include "start/platform.h"

namespace {

using namespace verolink;
using namespace verolink::host;

// Every facility of the program: the phonebook side from the environment (the
// file phonebook or NetworkManager's, see phonebook_choice.h; the latter asks
// the login in a GTK dialog), the desktop side (shell objects on the user's
// desktop, netsh and xdg-open as processes), and GTK's message boxes and
// GLib's event loop.
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
  GtkLoginPrompt loginPrompt;
  GtkWaitView waitView;
  ChosenPhonebook phonebook{phonebookSide.phonebook, phonebookSide.codePage, loginPrompt,
                            kNmTimeout, &waitView};
  HostAutomationObjects automation;
  HostFileDeletion files;
  HostProcessLauncher processes;
  HostBrowser browser{phonebookSide.codePage};
  GtkMessageBoxes messageBoxes;
  GlibEventPump eventPump;
  HostSleeper sleeper;
  HostCommonControls commonControls;
  Platform bundle;
};

// The program's name among installed programs: the folder a package puts it
// in (verolink-pppoe-<provider>), which also names its icon in the desktop's
// icon theme; "verolink-pppoe" elsewhere.
std::string InstalledName() {
  gchar* exe = g_file_read_link("/proc/self/exe", nullptr);
  gchar* folder = exe ? g_path_get_dirname(exe) : nullptr;
  gchar* base = folder ? g_path_get_basename(folder) : nullptr;
  std::string name = base && g_str_has_prefix(base, "verolink-pppoe-") ? base : "verolink-pppoe";
  g_free(base);
  g_free(folder);
  g_free(exe);
  return name;
}

// The GTK window is built from the loaded form, so it is made when start-up
// shows it. A second start of the program in the same session brings this
// window to the front instead of opening another.
class GtkShell : public MainWindowShell {
 public:
  GtkShell(MessageBoxes& messageBoxes, GtkApplication* application)
      : messageBoxes_(messageBoxes), application_(application) {
    g_signal_connect_swapped(application, "activate", G_CALLBACK(+[](GtkShell* self) {
                               if (self->window_) self->window_->Present();
                             }),
                             this);
  }
  void Create(ОсновнаяФорма&) override {}
  void Show(ОсновнаяФорма& form) override {
    window_ = std::make_unique<MainWindow>(form, messageBoxes_, application_);
    window_->Present();
  }

 private:
  MessageBoxes& messageBoxes_;
  GtkApplication* application_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace

int main(int argc, char** argv) {
  // A connection's launcher starts the connect window (`--connect UUID`), a
  // program of its own beside any main window.
  if (argc == 3 && std::string(argv[1]) == "--connect") return RunConnectMode(argv[2]);
  const std::string name = InstalledName();
  // The application id names the package's menu entry too
  // (example.verolink.pppoe.<provider>.desktop), so that Wayland desktops
  // find the window's name and icon there.
  std::string id = "example.verolink.pppoe";
  if (name.size() > sizeof "verolink-pppoe") id += "." + name.substr(sizeof "verolink-pppoe");
  for (char& c : id) c = c == '-' ? '_' : c;
  // Without a session bus the program runs on its own, as any GTK program.
  GtkApplication* application = gtk_application_new(id.c_str(), G_APPLICATION_DEFAULT_FLAGS);
  if (g_application_register(G_APPLICATION(application), nullptr, nullptr) &&
      g_application_get_is_remote(G_APPLICATION(application))) {
    g_application_activate(G_APPLICATION(application));
    g_object_unref(application);
    return 0;
  }
  gtk_window_set_default_icon_name(name.c_str());
  int status;
  {
    WindowPlatform platform;
    GtkShell shell(platform.messageBoxes, application);
    const auto form = basMain::Main(platform.bundle, shell);
    status = g_application_run(G_APPLICATION(application), 0, nullptr);
  }
  g_object_unref(application);
  return status;
}
