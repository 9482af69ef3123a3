#include "host/window/plain_buttons.h"

#include <FL/Fl.H>

namespace verolink::host {

int PlainPushButton::handle(int event) {
  if (event == FL_KEYBOARD && Fl::focus() == this &&
      (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
    do_callback();
    return 1;
  }
  return PlainLabel::handle(event);
}

}  // namespace verolink::host
