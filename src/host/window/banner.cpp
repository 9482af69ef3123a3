#include "host/window/banner.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace verolink::host {

Banner::Banner(int x, int y, int w, int h, const RgbImage& picture)
    : Fl_Widget(x, y, w, h), picture_(Stretch(picture, w, h)) {
  image_ = std::make_unique<Fl_RGB_Image>(picture_.pixels.data(), w, h, 3);
  box(FL_NO_BOX);
  clear_visible_focus();
}

void Banner::SetCursor(const RgbaImage& cursor) {
  cursorPixels_ = cursor;
  cursor_ = std::make_unique<Fl_RGB_Image>(cursorPixels_.pixels.data(), cursorPixels_.width,
                                           cursorPixels_.height, 4);
}

void Banner::draw() { image_->draw(x(), y()); }

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
    w->cursor(cursor_.get(), cursorPixels_.hotX, cursorPixels_.hotY);
  } else {
    w->cursor(FL_CURSOR_DEFAULT);
  }
}

}  // namespace verolink::host
