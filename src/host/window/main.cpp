// verolink-pppoe: the host build of the program. Start-up fills the built-in
// profile and opens the main window; its events run until it is closed.

#include "start/main.h"

#include <FL/Fl.H>

#include <memory>

#include "host/window/host_window_platform.h"
#include "host/window/main_window.h"

namespace {

// The FLTK window is built from the loaded form, so it is made when start-up
// shows it.
class FltkShell : public verolink::MainWindowShell {
 public:
  explicit FltkShell(verolink::MessageBoxes& messageBoxes) : messageBoxes_(messageBoxes) {}
  void Create(verolink::ОсновнаяФорма&) override {}
  void Show(verolink::ОсновнаяФорма& form) override {
    window_ = std::make_unique<verolink::host::MainWindow>(form, messageBoxes_);
    window_->ShowCentred();
  }

 private:
  verolink::MessageBoxes& messageBoxes_;
  std::unique_ptr<verolink::host::MainWindow> window_;
};

}  // namespace

int main() {
  using namespace verolink;
  // The host's look, set before the first widget is made: FLTK's "gtk+"
  // scheme in place of the desktop's visual style, and 12-pixel text as the
  // default font (close to the platform's 8-point font at 96 dots per inch,
  // so the design's captions fit their frames).
  FL_NORMAL_SIZE = 12;
  Fl::scheme("gtk+");
  host::HostWindowPlatform platform;
  FltkShell shell(platform.messageBoxes());
  const auto form = basMain::Main(platform.platform(), shell);
  return Fl::run();
}
