#include "host/window/banner.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace verolink::host {

Banner::Banner(int x, int y, int w, int h, const Picture& picture)
    : Fl_Widget(x, y, w, h),
      picture_(Stretch(picture, w, h)),
      image_(picture_.pixels.data(), w, h, 3) {
  box(FL_NO_BOX);
  clear_visible_focus();
}

int Banner::handle(int event) {
  switch (event) {
    case FL_ENTER:
    case FL_MOVE:
      ShowCursor(true);
      return 1;
    case FL_LEAVE:
      ShowCursor(false);
      return 1;
    case FL_PUSH:
      return 1;
    case FL_RELEASE:
      // A click is a press and a release both on the banner.
      if (Fl::event_button() == FL_LEFT_MOUSE && Fl::event_inside(this) && onClick_) onClick_();
      return 1;
    default:
      return Fl_Widget::handle(event);
  }
}

void Banner::ShowCursor(bool over) {
  Fl_Window* w = window();
  if (!w || over == handShown_) return;
  handShown_ = over;
  if (over && cursor_) {
    // The window makes its X cursor of the pixels at once.
    const Fl_RGB_Image image(cursor_->pixels.data(), cursor_->width, cursor_->height, 4);
    w->cursor(&image, cursor_->hotX, cursor_->hotY);
  } else {
    w->cursor(FL_CURSOR_DEFAULT);
  }
}

}  // namespace verolink::host
