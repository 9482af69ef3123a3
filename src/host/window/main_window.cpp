#include "host/window/main_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <exception>

#include "host/window/banner.h"
#include "host/window/fltk_text.h"
#include "host/window/resource_images.h"

namespace verolink::host {

namespace {

int Px(int twips) { return TwipsToPixels(twips); }

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
  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::focus() == this &&
        (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
      do_callback();
      return 1;
    }
    return PlainLabel::handle(event);
  }
};

// The host's stand-ins for the platform's system colours, taken from FLTK's
// scheme colours so that they follow the user's colour settings (FLTK reads
// them from the X resources):
// - desktop background: FL_DARK3, the scheme's darkest shade of the
//   background grey;
// - inactive title bar: a grey-blue, the selection colour mixed two to three
//   with the background colour.
Fl_Color HostSystemColour(SystemColour colour) {
  switch (colour) {
    case SystemColour::Background:
      return FL_DARK3;
    case SystemColour::InactiveCaption:
      return fl_color_average(FL_SELECTION_COLOR, FL_BACKGROUND_COLOR, 0.4f);
  }
  return FL_FOREGROUND_COLOR;
}

// Asks the X window manager for a fixed dialog frame: title bar, window menu
// and close box, no minimise or maximise box, no resizing. Sets
// _NET_WM_WINDOW_TYPE to _NET_WM_WINDOW_TYPE_DIALOG and _MOTIF_WM_HINTS
// (flags, functions, decorations, input mode, status) to move and close only.
// Call right after show(): the properties travel with the map request, before
// the window manager frames the window. The fixed size itself comes from
// Fl_Window::size_range (WM_NORMAL_HINTS min = max).
void RequestFixedDialogFrame(Fl_Window& window) {
  const Window xid = fl_xid(&window);
  if (!xid) return;
  const Atom type = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False);
  const Atom dialog = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(fl_display, xid, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&dialog), 1);
  constexpr long kFunctionsAndDecorations = 1 | 2;
  constexpr long kMoveAndClose = 4 | 32;
  constexpr long kBorderTitleAndMenu = 2 | 8 | 16;
  const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  const long hints[5] = {kFunctionsAndDecorations, kMoveAndClose, kBorderTitleAndMenu, 0, 0};
  XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(fl_display);
}

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

  if (const auto icon = ProgramIconImage()) {
    // The window keeps a copy of the icon.
    const Fl_RGB_Image image(icon->pixels.data(), icon->width, icon->height, 4);
    this->icon(&image);
  }
}

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
      auto* banner = new Banner(x, y, w, h, BannerPicture().value_or(Picture{}));
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
