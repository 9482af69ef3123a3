#include "host/window/main_window.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <exception>

#include "host/window/banner.h"
#include "host/window/fltk_text.h"
#include "host/window/plain_buttons.h"
#include "host/window/resource_images.h"
#include "host/window/system_colours.h"
#include "host/window/x11_dialog_frame.h"

namespace verolink::host {

namespace {

int Px(int twips) { return TwipsToPixels(twips); }

}  // namespace

MainWindow::MainWindow(ОсновнаяФорма& form, MessageBoxes& messageBoxes)
    : Fl_Double_Window(Px(MainWindowLayout().clientWidth), Px(MainWindowLayout().clientHeight)),
      form_(form),
      messageBoxes_(messageBoxes) {
  copy_label(ToUtf8(form_.Caption()).c_str());
  xclass("verolink-pppoe");
  size_range(w(), h(), w(), h());
  callback(OnClose, this);

  // Children in tab order: FLTK moves the focus in the order of its children.
  std::vector<const ControlLayout*> order;
  for (const auto& control : MainWindowLayout().controls) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    return (a->tabIndex < 0 ? 1 << 30 : a->tabIndex) < (b->tabIndex < 0 ? 1 << 30 : b->tabIndex);
  });
  for (const auto* control : order) AddControl(*control);
  end();

  if (auto icon = ProgramIconImage()) {
    iconPixels_ = std::move(*icon);
    icon_ = std::make_unique<Fl_RGB_Image>(iconPixels_.pixels.data(), iconPixels_.width,
                                           iconPixels_.height, 4);
    this->icon(icon_.get());
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::AddControl(const ControlLayout& layout) {
  const int x = Px(layout.twips.left), y = Px(layout.twips.top);
  const int w = Px(layout.twips.width), h = Px(layout.twips.height);
  Fl_Widget* widget = nullptr;
  switch (layout.kind) {
    case ControlKind::PushButton:
      widget = new PlainPushButton(x, y, w, h);
      widget->callback(OnButton, this);
      if (!focusAtStart_) focusAtStart_ = widget;
      break;
    case ControlKind::CheckBox: {
      auto* box = new PlainCheckButton(x, y, w, h);
      box->value(form_.CheckValue(layout.id) == 1);
      box->callback(OnCheckBox, this);
      box->when(FL_WHEN_CHANGED);
      widget = box;
      break;
    }
    case ControlKind::Picture: {
      auto* banner = new Banner(x, y, w, h, BannerPicture().value_or(RgbImage{}));
      if (auto cursor = CursorResource(form_.BannerCursorResource())) banner->SetCursor(*cursor);
      banner->OnClick([this] { Run([this] { form_.OnBannerClick(); }); });
      widget = banner;
      break;
    }
  }
  widget->copy_label(FltkDrawnText(form_.ControlCaption(layout.id)).c_str());
  const Text& tip = form_.ToolTip(layout.id);
  if (!tip.empty()) widget->copy_tooltip(FltkDrawnText(tip).c_str());
  controls_.push_back({layout.id, widget});
}

void MainWindow::ShowCentred() {
  int sx, sy, sw, sh;
  Fl::screen_work_area(sx, sy, sw, sh, 0);
  position(sx + (sw - w()) / 2, sy + (sh - h()) / 2);
  show();
  RequestFixedDialogFrame(*this);
  if (focusAtStart_) focusAtStart_->take_focus();
}

void MainWindow::draw() {
  Fl_Double_Window::draw();
  // The rules: one pixel wide, clipped to the client area like any drawing.
  for (const auto& rule : MainWindowLayout().rules) {
    fl_color(HostSystemColour(rule.colour));
    fl_line(Px(rule.x1), Px(rule.y1), std::min(Px(rule.x2), w() - 1), Px(rule.y2));
  }
}

void MainWindow::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    messageBoxes_.Show(FromUtf8(error.what()), kMbCritical, form_.Caption());
  } catch (...) {
    messageBoxes_.Show(u"Непредвиденная ошибка.", kMbCritical, form_.Caption());
  }
}

void MainWindow::OnButton(Fl_Widget*, void* self) {
  auto* window = static_cast<MainWindow*>(self);
  window->Run([window] { window->form_.OnCreateButtonClick(); });
}

void MainWindow::OnCheckBox(Fl_Widget* widget, void* self) {
  auto* window = static_cast<MainWindow*>(self);
  for (const auto& control : window->controls_) {
    if (control.widget == widget) {
      const int value = static_cast<Fl_Check_Button*>(widget)->value() ? 1 : 0;
      window->Run([&] { window->form_.SetCheckValue(control.id, value); });
    }
  }
}

void MainWindow::OnClose(Fl_Widget* widget, void*) {
  // Escape closes FLTK windows by default; here only the close box and the
  // window manager's close keys do.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  widget->hide();
}

}  // namespace verolink::host
