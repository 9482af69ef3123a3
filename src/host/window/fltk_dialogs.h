#pragma once

#include "common/message_boxes.h"
#include "host/phonebook/login_prompt.h"
#include "window/ui_services.h"

namespace verolink::host {

// Modal message boxes as FLTK dialogs: the title is the dialog's caption, the
// buttons are named in Russian, the icon follows the style (critical "!" on
// red, question "?", exclamation "!" on yellow, information "i"; none for 0).
// Enter presses the left button of a pair (OK, Yes, Retry) and the middle one
// of three; Escape or the close box gives the right one (No, Cancel, Ignore),
// or OK when that is the only button.
class FltkMessageBoxes : public MessageBoxes {
 public:
  int Show(const Text& text, int style, const Text& title) override;
};

// The subscriber's login asked in a small modal FLTK dialog ("Логин
// абонента:", OK and "Отмена"). Blanks around the answer are dropped and an
// empty one asks again; Escape, the close box or "Отмена" cancel. A card
// found without asking is named above the question. When the request lists
// cards, a second dialog shows its note above them in a list, none chosen in
// advance; cancelling that one answers with no card.
class FltkLoginPrompt : public LoginPrompt {
 public:
  std::optional<LoginAnswer> AskLogin(const LoginRequest& request) override;
};

// The window's events through FLTK's event loop (Fl::check, Fl::wait); the
// program is ending once no window of it is shown any more.
class FltkEventPump : public EventPump {
 public:
  void ProcessPendingEvents() override;
  bool ProcessEventsFor(std::chrono::milliseconds longest) override;
};

}  // namespace verolink::host
