#include "host/window/gtk_dialogs.h"

#include <string>

#include "common/message_box_buttons.h"
#include "pppoe/subscriber_login.h"
#include "start/application.h"

namespace verolink::host {

namespace {

GtkWindow* ProgramWindow() {
  auto* app = GTK_APPLICATION(g_application_get_default());
  return app ? gtk_application_get_active_window(app) : nullptr;
}

GtkWidget* NewDialog(GtkWidget* dialog, const std::string& title) {
  g_object_ref_sink(dialog);
  gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  // Closed, it answers and is hidden; EndDialog destroys it.
  gtk_window_set_hide_on_close(GTK_WINDOW(dialog), TRUE);
  return dialog;
}

// A button named as it reads (GTK would take an underscore for an access key).
void AddButton(GtkWidget* dialog, const char* label, int response) {
  GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), label, response);
  gtk_button_set_use_underline(GTK_BUTTON(button), FALSE);
  // Its label would be read twice, as the name and as what names it.
  gtk_accessible_reset_relation(GTK_ACCESSIBLE(button), GTK_ACCESSIBLE_RELATION_LABELLED_BY);
  gtk_accessible_update_property(GTK_ACCESSIBLE(button), GTK_ACCESSIBLE_PROPERTY_LABEL, label, -1);
}

// Closes the dialog and gives the keyboard back to the window it was over,
// also where no window manager does.
void EndDialog(GtkWidget* dialog) {
  GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(dialog));
  gtk_window_destroy(GTK_WINDOW(dialog));
  g_object_unref(dialog);
  if (parent) gtk_window_present(parent);
}

// Shows the dialog and runs the main loop until it answers; its response,
// GTK_RESPONSE_DELETE_EVENT for Escape and the close box. The dialog stays
// open for another answer.
int Answer(GtkWidget* dialog) {
  struct Wait {
    GMainLoop* loop;
    int response = GTK_RESPONSE_DELETE_EVENT;
  } wait{g_main_loop_new(nullptr, FALSE)};
  const gulong handler =
      g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, int response, Wait* w) {
                         w->response = response;
                         g_main_loop_quit(w->loop);
                       }),
                       &wait);
  gtk_window_present(GTK_WINDOW(dialog));
  g_main_loop_run(wait.loop);
  g_signal_handler_disconnect(dialog, handler);
  g_main_loop_unref(wait.loop);
  return wait.response;
}

// The style's icon as GTK's message type, the theme's icon and the name a
// screen reader reads for it.
struct IconLook {
  GtkMessageType type;
  const char* iconName;
  const char* spoken;
};

IconLook LookOf(int style) {
  switch (IconOfStyle(style)) {
    case MessageBoxIcon::Critical:
      return {GTK_MESSAGE_ERROR, "dialog-error", "Ошибка"};
    case MessageBoxIcon::Question:
      return {GTK_MESSAGE_QUESTION, "dialog-question", "Вопрос"};
    case MessageBoxIcon::Exclamation:
      return {GTK_MESSAGE_WARNING, "dialog-warning", "Предупреждение"};
    case MessageBoxIcon::Information:
      return {GTK_MESSAGE_INFO, "dialog-information", "Сведения"};
    case MessageBoxIcon::None:
      break;
  }
  return {GTK_MESSAGE_OTHER, nullptr, nullptr};
}

void SetMargins(GtkWidget* widget, int pixels) {
  for (auto* set : {gtk_widget_set_margin_top, gtk_widget_set_margin_bottom,
                    gtk_widget_set_margin_start, gtk_widget_set_margin_end}) {
    set(widget, pixels);
  }
}

GtkWidget* LeftLabel(const std::string& text, GtkBox* into) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 50);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_box_append(into, label);
  return label;
}

// The choices as a list under their question, none picked in advance; a
// choice activated (Enter, a double click) answers the dialog with OK.
GtkListBox* AddChoiceList(GtkDialog* dialog, GtkBox* into, const std::string& question,
                          const std::vector<std::string>& choices) {
  GtkWidget* label = LeftLabel(question, into);
  GtkWidget* list = gtk_list_box_new();
  for (const std::string& choice : choices) {
    gtk_list_box_append(GTK_LIST_BOX(list), gtk_label_new(choice.c_str()));
    // The row is what a screen reader lands on: it reads the row's name.
    GtkWidget* row = gtk_widget_get_last_child(list);
    gtk_accessible_update_property(GTK_ACCESSIBLE(row), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   choice.c_str(), -1);
  }
  gtk_accessible_update_relation(GTK_ACCESSIBLE(list), GTK_ACCESSIBLE_RELATION_LABELLED_BY, label,
                                 nullptr, -1);
  g_signal_connect_swapped(
      list, "row-activated",
      G_CALLBACK(+[](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_OK); }), dialog);
  gtk_widget_add_css_class(list, "frame");
  gtk_box_append(into, list);
  return GTK_LIST_BOX(list);
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(" \t"));
  text.erase(text.find_last_not_of(" \t") + 1);
  return text;
}

}  // namespace

int GtkMessageBoxes::Show(const Text& text, int style, const Text& title) {
  const MessageBoxButtons set = ButtonsOfStyle(style);
  const IconLook look = LookOf(style);
  // A dialog to screen readers, which read its text.
  GtkWidget* dialog =
      NewDialog(GTK_WIDGET(g_object_new(GTK_TYPE_MESSAGE_DIALOG, "accessible-role",
                                        GTK_ACCESSIBLE_ROLE_DIALOG, "message-type", look.type,
                                        "text", ToUtf8(text).c_str(), "modal", TRUE,
                                        "transient-for", ProgramWindow(), nullptr)),
                ToUtf8(title));
  if (look.iconName) {
    GtkWidget* icon = gtk_image_new_from_icon_name(look.iconName);
    gtk_image_set_icon_size(GTK_IMAGE(icon), GTK_ICON_SIZE_LARGE);
    gtk_accessible_update_property(GTK_ACCESSIBLE(icon), GTK_ACCESSIBLE_PROPERTY_LABEL, look.spoken,
                                   -1);
    gtk_box_prepend(GTK_BOX(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog))), icon);
  }
  for (std::size_t i = 0; i < set.buttons.size(); ++i)
    AddButton(dialog, set.buttons[i].label, int(i));
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), set.enterIndex);
  gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), set.enterIndex));
  const int pressed = Answer(dialog);
  EndDialog(dialog);
  if (pressed < 0 || pressed >= static_cast<int>(set.buttons.size())) return set.escapeAnswer;
  return set.buttons[static_cast<std::size_t>(pressed)].answer;
}

std::optional<LoginAnswer> GtkLoginPrompt::AskLogin(const LoginRequest& request) {
  GtkWidget* dialog = NewDialog(
      gtk_dialog_new_with_buttons(nullptr, ProgramWindow(), GTK_DIALOG_MODAL, nullptr, 0, nullptr),
      ToUtf8(Application().title));
  AddButton(dialog, "OK", GTK_RESPONSE_OK);
  AddButton(dialog, "Отмена", GTK_RESPONSE_CANCEL);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  GtkBox* box = GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog)));
  gtk_box_set_spacing(box, 6);
  SetMargins(GTK_WIDGET(box), 12);
  // A card found without asking is named above the question.
  if (request.cards.empty() && !request.cardNote.empty()) LeftLabel(request.cardNote, box);
  LeftLabel("Подключение «" + request.connectionName +
                "»: NetworkManager спросит пароль при подключении.",
            box);
  GtkWidget* label = LeftLabel("Логин абонента:", box);
  GtkWidget* login = gtk_entry_new();
  gtk_editable_set_text(GTK_EDITABLE(login), request.suggestedLogin.c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(login), TRUE);
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), login);
  gtk_accessible_update_relation(GTK_ACCESSIBLE(login), GTK_ACCESSIBLE_RELATION_LABELLED_BY, label,
                                 nullptr, -1);
  gtk_box_append(box, login);
  std::vector<std::string> labels;
  for (const PPPoE::CardOption& card : request.cards) labels.push_back(card.label);
  GtkListBox* cards = request.cards.empty()
                          ? nullptr
                          : AddChoiceList(GTK_DIALOG(dialog), box, request.cardNote, labels);
  gtk_widget_grab_focus(login);

  std::optional<LoginAnswer> answer;
  while (!answer && Answer(dialog) == GTK_RESPONSE_OK) {
    // Blanks around a login are a slip of the keyboard; an empty one is no answer.
    std::string typed = Trimmed(gtk_editable_get_text(GTK_EDITABLE(login)));
    GtkListBoxRow* card = cards ? gtk_list_box_get_selected_row(cards) : nullptr;
    if (typed.empty() || (cards && !card)) {
      gtk_widget_grab_focus(typed.empty() ? login : GTK_WIDGET(cards));
      continue;
    }
    // A tab or a line break pasted with it: no provider's login holds one.
    if (!PPPoE::IsPossibleLogin(typed)) {
      GtkMessageBoxes().Show(PPPoE::kImpossibleLoginText, kMbCritical, Application().title);
      gtk_widget_grab_focus(login);
      continue;
    }
    answer = LoginAnswer{std::move(typed), ""};
    if (card)
      answer->card = request.cards[static_cast<std::size_t>(gtk_list_box_row_get_index(card))].card;
  }
  EndDialog(dialog);
  return answer;
}

void GtkWaitView::ShowWaiting(const Text& text) {
  gaveUp_ = false;
  if (dialog_ == nullptr) {
    dialog_ = NewDialog(gtk_dialog_new_with_buttons(nullptr, ProgramWindow(), GTK_DIALOG_MODAL,
                                                    nullptr, 0, nullptr),
                        ToUtf8(Application().title));
    AddButton(dialog_, "Прекратить ожидание", GTK_RESPONSE_CANCEL);
    g_signal_connect_swapped(dialog_, "response",
                             G_CALLBACK(+[](GtkWaitView* self) { self->gaveUp_ = true; }), this);
    GtkBox* box = GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog_)));
    SetMargins(GTK_WIDGET(box), 12);
    LeftLabel(ToUtf8(text), box);
  }
  gtk_window_present(GTK_WINDOW(dialog_));
}

void GtkWaitView::HideWaiting() {
  if (dialog_ == nullptr) return;
  EndDialog(dialog_);
  dialog_ = nullptr;
}

void GlibEventPump::ProcessPendingEvents() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

bool GlibEventPump::ProcessEventsFor(std::chrono::milliseconds longest) {
  auto* app = GTK_APPLICATION(g_application_get_default());
  if (app == nullptr || gtk_application_get_windows(app) == nullptr) return false;
  bool elapsed = false;
  const guint timer = g_timeout_add(
      static_cast<guint>(longest.count()),
      +[](gpointer flag) {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &elapsed);
  g_main_context_iteration(nullptr, TRUE);
  if (!elapsed) g_source_remove(timer);
  return gtk_application_get_windows(app) != nullptr;
}

}  // namespace verolink::host
