// Host window: the FLTK main window, its message boxes, banner and images,
// and the program's main() for the host build.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <functional>
#include <vector>

#include "common/message_boxes.h"
#include "window/main_form.h"

namespace verolink::host {

// ОсновнаяФорма drawn with FLTK: geometry from MainWindowLayout(), texts,
// tool tips, check-box values and the banner cursor from the loaded form. The
// user's clicks go to the form's handlers; an exception that escapes one is
// shown in a critical message box instead of ending the program.
class MainWindow : public Fl_Double_Window {
 public:
  MainWindow(ОсновнаяФорма& form, MessageBoxes& messageBoxes);

  // Shows the window centred on the screen with a fixed dialog frame; the
  // button has the focus.
  void ShowCentred();

  void draw() override;

 private:
  struct Control {
    ControlId id;
    Fl_Widget* widget;
  };

  void AddControl(const ControlLayout& layout);
  void Run(const std::function<void()>& handler);

  static void OnButton(Fl_Widget* widget, void* self);
  static void OnCheckBox(Fl_Widget* widget, void* self);
  static void OnClose(Fl_Widget* widget, void* self);

  ОсновнаяФорма& form_;
  MessageBoxes& messageBoxes_;
  std::vector<Control> controls_;
  Fl_Widget* focusAtStart_ = nullptr;
};

}  // namespace verolink::host
