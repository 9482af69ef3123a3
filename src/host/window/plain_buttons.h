#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>

namespace verolink::host {

// Buttons whose labels are plain text: an '&' is drawn as it is, and no
// character of the label becomes an access key.
template <typename Base>
class PlainLabel : public Base {
 public:
  PlainLabel(int x, int y, int w, int h) : Base(x, y, w, h) {
    this->clear_flag(Fl_Widget::SHORTCUT_LABEL);
  }
};

using PlainCheckButton = PlainLabel<Fl_Check_Button>;

// A push button that Enter also presses while it has the focus, as on the
// platform's own buttons; it is neither a default nor a cancel button.
class PlainPushButton : public PlainLabel<Fl_Button> {
 public:
  using PlainLabel::PlainLabel;
  int handle(int event) override;
};

}  // namespace verolink::host
