#pragma once

#include <gtk/gtk.h>

#include "common/message_boxes.h"
#include "host/phonebook/login_prompt.h"
#include "window/ui_services.h"
#include "window/wait_view.h"

namespace verolink::host {

// Modal message boxes as GTK message dialogs over the program's window: the
// title is the dialog's caption, the buttons are named in Russian (see
// common/message_box_buttons.h for which Enter and Escape give).
class GtkMessageBoxes : public MessageBoxes {
 public:
  int Show(const Text& text, int style, const Text& title) override;
};

// Asks what a connection needs in one modal dialog: the subscriber's login
// in a field labelled "Логин абонента:" (blanks around it dropped; OK does
// nothing while it is empty), and, when the request lists cards, the card
// in a list below it under the request's note, none chosen in advance (OK
// does nothing until one is; Enter on a card answers too). A card found
// without asking is named above the login. Escape, the close box or
// "Отмена" cancel.
class GtkLoginPrompt : public LoginPrompt {
 public:
  std::optional<LoginAnswer> AskLogin(const LoginRequest& request) override;
};

// While the program waits past the usual time: a small modal window over the
// program's with the text and "Прекратить ожидание"; that button, Escape or
// the close box stop the waiting. It only shows: the waiting side runs the
// main loop.
class GtkWaitView : public WaitView {
 public:
  ~GtkWaitView() override { HideWaiting(); }
  void ShowWaiting(const Text& text) override;
  bool GaveUp() override { return gaveUp_; }
  void HideWaiting() override;

 private:
  GtkWidget* dialog_ = nullptr;
  bool gaveUp_ = false;
};

// The window's events through GLib's main loop, which libnm and GIO share;
// the program is ending once the application has no window any more.
class GlibEventPump : public EventPump {
 public:
  void ProcessPendingEvents() override;
  bool ProcessEventsFor(std::chrono::milliseconds longest) override;
};

}  // namespace verolink::host
