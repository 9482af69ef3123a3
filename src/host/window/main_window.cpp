#include "host/window/main_window.h"

#include <exception>

#include "host/window/banner.h"
#include "host/window/resource_images.h"

namespace verolink::host {

namespace {

// The rules' system colours as the desktop theme's colours: the background's
// border shade, and for the inactive title bar the selection colour mixed
// two to three with the background.
constexpr char kRuleColours[] =
    ".rule-1 { background-color: @borders; }"
    ".rule-3 { background-color: mix(@theme_bg_color, @theme_selected_bg_color, 0.4); }";

void UseRuleColours(GtkWidget* widget) {
  static GtkCssProvider* provider = [] {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kRuleColours, -1);
    return css;
  }();
  gtk_style_context_add_provider_for_display(gtk_widget_get_display(widget),
                                             GTK_STYLE_PROVIDER(provider),
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

GtkWidget* NewRule(const RuleLayout& rule) {
  GtkWidget* line = gtk_separator_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_widget_add_css_class(line, rule.colour == SystemColour::Background ? "rule-1" : "rule-3");
  return line;
}

}  // namespace

MainWindow::MainWindow(ОсновнаяФорма& form, MessageBoxes& messageBoxes, GtkApplication* application)
    : form_(form), messageBoxes_(messageBoxes), window_(GTK_WINDOW(gtk_window_new())) {
  gtk_window_set_application(window_, application);
  gtk_window_set_title(window_, ToUtf8(form_.Caption()).c_str());
  gtk_window_set_resizable(window_, FALSE);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  UseRuleColours(column);
  for (const StackedItem& item : StackedFromTop()) {
    GtkWidget* widget = item.control ? MakeControl(*item.control) : NewRule(*item.rule);
    gtk_widget_set_size_request(widget, item.width, item.height);
    // The rules span the window; the banner stays centred when the window
    // grows wider than designed for a larger font.
    gtk_widget_set_halign(widget, item.rule                                    ? GTK_ALIGN_FILL
                                  : item.control->kind == ControlKind::Picture ? GTK_ALIGN_CENTER
                                                                               : GTK_ALIGN_START);
    gtk_widget_set_margin_top(widget, item.gapAbove);
    gtk_widget_set_margin_start(widget, item.left);
    gtk_box_append(GTK_BOX(column), widget);
  }
  gtk_widget_set_margin_bottom(gtk_widget_get_last_child(column), StackedBottomGap());
  gtk_widget_set_size_request(column, TwipsToPixels(MainWindowLayout().clientWidth), -1);
  gtk_window_set_child(window_, column);

  // The design's tab order, which is not the order from the top.
  for (const auto& control : MainWindowLayout().controls) {
    for (GtkWidget* child = gtk_widget_get_first_child(column); child;
         child = gtk_widget_get_next_sibling(child)) {
      if (control.tabIndex >= 0 &&
          g_object_get_data(G_OBJECT(child), "verolink-control") == &control)
        tabOrder_.push_back(child);
    }
  }
  GtkEventController* keys = gtk_event_controller_key_new();
  gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
  g_signal_connect(keys, "key-pressed",
                   G_CALLBACK(+[](GtkEventControllerKey*, guint key, guint, GdkModifierType mods,
                                  MainWindow* self) -> gboolean {
                     if (mods & (GDK_CONTROL_MASK | GDK_ALT_MASK)) return FALSE;
                     if (key == GDK_KEY_Tab || key == GDK_KEY_KP_Tab) return self->MoveFocus(true);
                     if (key == GDK_KEY_ISO_Left_Tab) return self->MoveFocus(false);
                     return FALSE;
                   }),
                   this);
  gtk_widget_add_controller(GTK_WIDGET(window_), keys);
}

GtkWidget* MainWindow::MakeControl(const ControlLayout& layout) {
  const std::string caption = ToUtf8(form_.ControlCaption(layout.id));
  const std::string tip = ToUtf8(form_.ToolTip(layout.id));
  GtkWidget* widget = nullptr;
  switch (layout.kind) {
    case ControlKind::PushButton:
      widget = gtk_button_new_with_label(caption.c_str());
      button_ = widget;
      // The workflow runs from the main loop, after the click is answered:
      // a screen reader's click waits for its answer. The main loop runs on
      // while the workflow waits, so the button takes no second press then.
      g_signal_connect_swapped(
          widget, "clicked", G_CALLBACK(+[](MainWindow* self) {
            gtk_widget_set_sensitive(self->button_, FALSE);
            g_idle_add_once(
                [](gpointer data) {
                  auto* window = static_cast<MainWindow*>(data);
                  window->Run([window] { window->form_.OnCreateButtonClick(); });
                  gtk_widget_set_sensitive(window->button_, TRUE);
                  gtk_widget_grab_focus(window->button_);
                },
                self);
          }),
          this);
      break;
    case ControlKind::CheckBox:
      widget = gtk_check_button_new_with_label(caption.c_str());
      gtk_check_button_set_active(GTK_CHECK_BUTTON(widget), form_.CheckValue(layout.id) == 1);
      g_signal_connect(widget, "toggled", G_CALLBACK(+[](GtkCheckButton* box, MainWindow* self) {
                         const auto* control = static_cast<const ControlLayout*>(
                             g_object_get_data(G_OBJECT(box), "verolink-control"));
                         const int value = gtk_check_button_get_active(box) ? 1 : 0;
                         self->Run([&] { self->form_.SetCheckValue(control->id, value); });
                       }),
                       this);
      break;
    case ControlKind::Picture: {
      GdkCursor* cursor = CursorResource(form_.BannerCursorResource());
      widget = NewBanner(TwipsToPixels(layout.twips.width), TwipsToPixels(layout.twips.height),
                         cursor, tip.c_str(), [this] { Run([this] { form_.OnBannerClick(); }); });
      if (cursor) g_object_unref(cursor);
      break;
    }
  }
  g_object_set_data(G_OBJECT(widget), "verolink-control", const_cast<ControlLayout*>(&layout));
  if (!tip.empty()) {
    gtk_widget_set_tooltip_text(widget, tip.c_str());
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget), GTK_ACCESSIBLE_PROPERTY_DESCRIPTION,
                                   tip.c_str(), -1);
  }
  return widget;
}

void MainWindow::Present() {
  gtk_window_present(window_);
  if (!tabOrder_.empty()) gtk_widget_grab_focus(tabOrder_.front());
  // The focus shows from the start, as the keyboard may be all the user has.
  gtk_window_set_focus_visible(window_, TRUE);
}

bool MainWindow::MoveFocus(bool forward) {
  const auto count = static_cast<int>(tabOrder_.size());
  GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(window_));
  int at = forward ? -1 : 0;
  for (int i = 0; i < count; ++i) {
    if (focus && (focus == tabOrder_[i] || gtk_widget_is_ancestor(focus, tabOrder_[i]))) at = i;
  }
  gtk_widget_grab_focus(tabOrder_[(at + (forward ? 1 : count - 1)) % count]);
  gtk_window_set_focus_visible(window_, TRUE);
  return true;
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

}  // namespace verolink::host
