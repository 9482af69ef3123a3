#include "host/connect/gtk_connect_window.h"

#include <gtk/gtk.h>

#include <cstdio>

#include "start/application.h"
#include "window/form_texts.h"
#include "window/resources.h"

namespace verolink::host {

namespace {

GtkWidget* WrappedLabel() {
  GtkWidget* label = gtk_label_new(nullptr);
  gtk_label_set_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 40);
  return label;
}

GtkWidget* Banner() {
  const auto png = resources::BannerPng();
  GBytes* bytes = g_bytes_new_static(png.data(), png.size());
  GdkTexture* texture = gdk_texture_new_from_bytes(bytes, nullptr);
  g_bytes_unref(bytes);
  GtkWidget* picture =
      texture ? gtk_picture_new_for_paintable(GDK_PAINTABLE(texture)) : gtk_picture_new();
  if (texture) g_object_unref(texture);
  gtk_picture_set_can_shrink(GTK_PICTURE(picture), FALSE);
  return picture;
}

template <typename F>
void OnClicked(GtkWidget* button, F* self, void (*call)(F*)) {
  g_signal_connect_swapped(button, "clicked", G_CALLBACK(call), self);
}

}  // namespace

GtkConnectWindow::GtkConnectWindow(const std::string& name, std::function<void()> closed)
    : view_([this](const connect::ConnectScreen& screen) { Render(screen); }),
      closed_(std::move(closed)) {
  window_ = gtk_window_new();
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
  for (auto* margin : {gtk_widget_set_margin_top, gtk_widget_set_margin_bottom,
                       gtk_widget_set_margin_start, gtk_widget_set_margin_end}) {
    margin(box, 12);
  }
  gtk_window_set_child(GTK_WINDOW(window_), box);
  gtk_box_append(GTK_BOX(box), Banner());
  title_ = gtk_label_new(nullptr);
  gtk_widget_add_css_class(title_, "title-4");
  gtk_box_append(GTK_BOX(box), title_);
  SetName(name);

  passwordRow_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  GtkWidget* label = gtk_label_new(connect::kPasswordLabelText);
  password_ = gtk_password_entry_new();
  gtk_widget_set_hexpand(password_, TRUE);
  gtk_password_entry_set_show_peek_icon(GTK_PASSWORD_ENTRY(password_), TRUE);
  g_object_set(password_, "activates-default", TRUE, nullptr);
  gtk_accessible_update_property(GTK_ACCESSIBLE(password_), GTK_ACCESSIBLE_PROPERTY_LABEL, "Пароль",
                                 -1);
  gtk_box_append(GTK_BOX(passwordRow_), label);
  gtk_box_append(GTK_BOX(passwordRow_), password_);
  gtk_box_append(GTK_BOX(box), passwordRow_);
  remember_ = gtk_check_button_new_with_label(connect::kRememberText);
  gtk_box_append(GTK_BOX(box), remember_);

  status_ = WrappedLabel();
  advice_ = WrappedLabel();
  notice_ = WrappedLabel();
  for (GtkWidget* text : {status_, advice_, notice_}) gtk_box_append(GTK_BOX(box), text);

  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  gtk_widget_set_halign(buttons, GTK_ALIGN_END);
  connect_ = gtk_button_new_with_label(connect::kConnectButtonText);
  disconnect_ = gtk_button_new_with_label(connect::kDisconnectButtonText);
  GtkWidget* close = gtk_button_new_with_label(connect::kCloseButtonText);
  for (GtkWidget* button : {connect_, disconnect_, close}) gtk_box_append(GTK_BOX(buttons), button);
  gtk_box_append(GTK_BOX(box), buttons);
  gtk_window_set_default_widget(GTK_WINDOW(window_), connect_);
  OnClicked<GtkConnectWindow>(connect_, this, [](GtkConnectWindow* self) { self->PressConnect(); });
  OnClicked<GtkConnectWindow>(disconnect_, this,
                              [](GtkConnectWindow* self) { self->view_.PressDisconnect(); });
  OnClicked<GtkWidget>(close, window_,
                       [](GtkWidget* window) { gtk_window_close(GTK_WINDOW(window)); });

  // Escape closes the window, as it closes a dialog.
  GtkEventController* keys = gtk_shortcut_controller_new();
  gtk_shortcut_controller_add_shortcut(
      GTK_SHORTCUT_CONTROLLER(keys),
      gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_Escape, GdkModifierType(0)),
                       gtk_named_action_new("window.close")));
  gtk_widget_add_controller(window_, keys);
  // Closed, it stays until this object goes.
  g_signal_connect_swapped(window_, "close-request", G_CALLBACK(+[](GtkConnectWindow* self) {
                             gtk_widget_set_visible(self->window_, FALSE);
                             if (self->closed_) self->closed_();
                             return TRUE;
                           }),
                           this);
  Render(view_.screen());
  gtk_window_present(GTK_WINDOW(window_));
}

GtkConnectWindow::~GtkConnectWindow() {
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_window_destroy(GTK_WINDOW(window_));
}

void GtkConnectWindow::SetName(const std::string& name) {
  const std::string title = name.empty() ? ToUtf8(MainWindowCaption(Application())) : name;
  gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
  gtk_label_set_text(GTK_LABEL(title_), name.empty() ? "" : ("Подключение «" + name + "»").c_str());
  gtk_widget_set_visible(title_, !name.empty());
}

void GtkConnectWindow::PressConnect() {
  const std::string password = gtk_editable_get_text(GTK_EDITABLE(password_));
  const bool remember = gtk_check_button_get_active(GTK_CHECK_BUTTON(remember_));
  gtk_editable_set_text(GTK_EDITABLE(password_), "");
  view_.Press(password, remember);
}

void GtkConnectWindow::Render(const connect::ConnectScreen& screen) {
  // Each new state also on standard error, for whoever started the window.
  if (screen.status != shownStatus_ && !screen.status.empty()) {
    std::fprintf(stderr, "verolink: connect: %s\n", screen.status.c_str());
  }
  shownStatus_ = screen.status;
  gtk_label_set_text(GTK_LABEL(status_), screen.status.c_str());
  gtk_widget_set_visible(status_, !screen.status.empty());
  gtk_label_set_text(GTK_LABEL(advice_), screen.advice.c_str());
  gtk_label_set_text(GTK_LABEL(notice_), screen.notice.c_str());
  gtk_widget_set_visible(advice_, !screen.advice.empty());
  gtk_widget_set_visible(notice_, !screen.notice.empty());
  gtk_widget_set_visible(passwordRow_, screen.askPassword);
  gtk_widget_set_visible(remember_, screen.canRemember);
  gtk_widget_set_sensitive(connect_, screen.canConnect);
  gtk_widget_set_visible(disconnect_, screen.canDisconnect);
  if (screen.askPassword) gtk_widget_grab_focus(password_);
  if (screen.canDisconnect) gtk_widget_grab_focus(disconnect_);
}

}  // namespace verolink::host
