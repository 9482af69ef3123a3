#pragma once

#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <optional>

#include "host/window/resource_images.h"

namespace verolink::host {

// The banner picture Image1: the bitmap stretched to the widget's frame, a
// cursor of its own while the pointer is over it, and a click handler. It
// takes no focus.
class Banner : public Fl_Widget {
 public:
  Banner(int x, int y, int w, int h, const Picture& picture);

  // The cursor shown over the banner; without one the window's arrow stays.
  void SetCursor(const Picture& cursor) { cursor_ = cursor; }
  void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

  void draw() override { image_.draw(x(), y()); }
  int handle(int event) override;

 private:
  void ShowCursor(bool over);

  Picture picture_;
  Fl_RGB_Image image_;  // draws picture_
  std::optional<Picture> cursor_;
  std::function<void()> onClick_;
  bool handShown_ = false;
};

}  // namespace verolink::host
