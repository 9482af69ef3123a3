// Host window: the GTK 4 main window, its message boxes, login prompt and
// banner, and the program's main() for the host build.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <vector>

#include "common/message_boxes.h"
#include "window/main_form.h"

namespace verolink::host {

// ОсновнаяФорма drawn with GTK 4: the design stacked from the top
// (StackedFromTop), each control as tall as its text needs; texts, tool tips
// (also the controls' descriptions for screen readers), check-box values and
// the banner cursor from the loaded form; Tab moves through the design's tab
// order. The user's clicks go to the form's handlers; an exception that
// escapes one is shown in a critical message box instead of ending the
// program.
class MainWindow {
 public:
  MainWindow(ОсновнаяФорма& form, MessageBoxes& messageBoxes, GtkApplication* application);

  // Shows the window (or brings it to the front); the button has the focus.
  void Present();

 private:
  GtkWidget* MakeControl(const ControlLayout& layout);
  void Run(const std::function<void()>& handler);
  bool MoveFocus(bool forward);

  ОсновнаяФорма& form_;
  MessageBoxes& messageBoxes_;
  GtkWindow* window_;
  GtkWidget* button_ = nullptr;
  std::vector<GtkWidget*> tabOrder_;
};

}  // namespace verolink::host
