#include "host/window/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <string>
#include <vector>

#include "host/window/fltk_text.h"
#include "start/application.h"

namespace verolink::host {

namespace {

constexpr int kAnswerCancel = 2;
constexpr int kAnswerAbort = 3;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerIgnore = 5;

// fl_choice's buttons from right to left: b0 (also Escape and the close box),
// b1 (Enter), b2. Each set lists its buttons as the dialog shows them.
struct ButtonSet {
  const char* label[3];
  int answer[3];
};

const ButtonSet& ButtonsOf(int style) {
  static const ButtonSet kSets[] = {
      {{nullptr, "OK", nullptr}, {kAnswerOk, kAnswerOk, 0}},
      {{"Отмена", "OK", nullptr}, {kAnswerCancel, kAnswerOk, 0}},
      {{"Пропустить", "Повтор", "Прервать"}, {kAnswerIgnore, kAnswerRetry, kAnswerAbort}},
      {{"Отмена", "Нет", "Да"}, {kAnswerCancel, kAnswerNo, kAnswerYes}},
      {{"Нет", "Да", nullptr}, {kAnswerNo, kAnswerYes, 0}},
      {{"Отмена", "Повтор", nullptr}, {kAnswerCancel, kAnswerRetry, 0}},
  };
  const int set = style & 0xF;
  return set < 6 ? kSets[set] : kSets[0];
}

struct Icon {
  const char* glyph;
  Fl_Color background;
  Fl_Color ink;
};

const Icon& IconOf(int style) {
  // By the style's icon bits: none, critical (16), question (32),
  // exclamation (48), information (64).
  static const Icon kIcons[] = {{"", FL_BACKGROUND_COLOR, FL_BACKGROUND_COLOR},
                                {"!", FL_RED, FL_WHITE},
                                {"?", FL_WHITE, FL_BLUE},
                                {"!", FL_YELLOW, FL_BLACK},
                                {"i", FL_WHITE, FL_BLUE}};
  const int icon = (style & 0xF0) >> 4;
  return icon < 5 ? kIcons[icon] : kIcons[0];
}

// fl_choice writes its own "?" into the icon's label; this label type draws
// the glyph of the box being shown instead.
const char* currentGlyph = "";

void DrawIconGlyph(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align) {
  fl_font(label->font, label->size);
  fl_color(label->color);
  fl_draw(currentGlyph, x, y, w, h, align, nullptr, 0);
}

void MeasureIconGlyph(const Fl_Label* label, int& w, int& h) {
  fl_font(label->font, label->size);
  w = h = 0;
  fl_measure(currentGlyph, w, h, 0);
}

constexpr Fl_Labeltype kIconLabel = FL_FREE_LABELTYPE;

// Lines of a message box are at most this wide, as on the platform.
constexpr double kMaxLineWidth = 420;

std::string MessageText(const Text& text) {
  fl_open_display();
  fl_font(fl_message_font_, fl_message_size_ > 0 ? fl_message_size_ : FL_NORMAL_SIZE);
  const std::string wrapped = WrapToWidth(ToUtf8(text), kMaxLineWidth, [](std::string_view piece) {
    return fl_width(piece.data(), static_cast<int>(piece.size()));
  });
  return FltkDrawnText(std::string_view(wrapped));
}

// Asks which card the provider's modem is on: a modal dialog with `note`
// above the cards in a list, none chosen in advance, OK (usable once one is
// chosen) and "Отмена". The chosen card's name, or empty when the user
// cancels (Escape or the close box too).
std::string AskCard(const std::string& note, const std::vector<PPPoE::CardOption>& cards) {
  // FLTK keeps the title's pointer, so the text outlives the window.
  const std::string title = ToUtf8(Application().title);
  Fl_Double_Window dialog(440, 175, title.c_str());
  const std::string noteText = FltkDrawnText(std::string_view(note));
  Fl_Box label(10, 10, 420, 85, noteText.c_str());
  label.align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP);
  Fl_Choice list(10, 100, 420, 25);
  for (const PPPoE::CardOption& card : cards) {
    // A menu item's label is copied, but '/', '&' and '_' would be read as markup.
    const int item = list.add("card");
    list.replace(item, FltkDrawnText(std::string_view(card.label)).c_str());
  }
  list.value(-1);
  Fl_Return_Button ok(250, 140, 85, 25, "OK");
  Fl_Button cancel(345, 140, 85, 25, "Отмена");
  ok.deactivate();
  dialog.end();
  dialog.set_modal();
  int pressed = 0;  // 1 OK, 2 cancel or close
  list.callback([](Fl_Widget*, void* button) { static_cast<Fl_Widget*>(button)->activate(); }, &ok);
  ok.callback([](Fl_Widget*, void* to) { *static_cast<int*>(to) = 1; }, &pressed);
  cancel.callback([](Fl_Widget*, void* to) { *static_cast<int*>(to) = 2; }, &pressed);
  dialog.callback([](Fl_Widget*, void* to) { *static_cast<int*>(to) = 2; }, &pressed);
  dialog.show();
  while (pressed == 0 && dialog.shown()) Fl::wait();
  if (pressed != 1 || list.value() < 0) return {};
  return cards[static_cast<std::size_t>(list.value())].card;
}

}  // namespace

int FltkMessageBoxes::Show(const Text& text, int style, const Text& title) {
  static const bool labelTypeSet =
      (Fl::set_labeltype(kIconLabel, DrawIconGlyph, MeasureIconGlyph), true);
  (void)labelTypeSet;

  const Icon& icon = IconOf(style);
  Fl_Widget* iconBox = fl_message_icon();
  currentGlyph = icon.glyph;
  iconBox->labeltype(kIconLabel);
  iconBox->box(*icon.glyph ? FL_THIN_UP_BOX : FL_NO_BOX);
  iconBox->color(icon.background);
  iconBox->labelcolor(icon.ink);

  const ButtonSet& buttons = ButtonsOf(style);
  fl_message_title(ToUtf8(title).c_str());
  const std::string message = MessageText(text);
  const int pressed =
      fl_choice("%s", buttons.label[0], buttons.label[1], buttons.label[2], message.c_str());
  return buttons.answer[pressed >= 0 && pressed < 3 ? pressed : 0];
}

std::optional<LoginAnswer> FltkLoginPrompt::AskLogin(const LoginRequest& request) {
  fl_ok = "OK";
  fl_cancel = "Отмена";
  // The message boxes draw their own glyph into the shared icon.
  fl_message_icon()->labeltype(FL_NORMAL_LABEL);
  // A card found without asking is named above the question.
  const std::string found = request.cards.empty() && !request.cardNote.empty()
                                ? request.cardNote + "\n\n"
                                : std::string();
  const std::string question =
      FltkDrawnText(std::string_view(found + "Подключение «" + request.connectionName +
                                     "»: NetworkManager спросит пароль при подключении.\n\n"
                                     "Логин абонента:"));
  std::string offered = request.suggestedLogin;
  LoginAnswer answer;
  while (answer.login.empty()) {
    fl_message_title(ToUtf8(Application().title).c_str());
    const char* typed = fl_input("%s", offered.c_str(), question.c_str());
    if (typed == nullptr) return std::nullopt;
    // Blanks around a login are a slip of the keyboard; an empty one asks again.
    answer.login = typed;
    answer.login.erase(0, answer.login.find_first_not_of(" \t"));
    answer.login.erase(answer.login.find_last_not_of(" \t") + 1);
    offered.clear();
  }
  if (!request.cards.empty()) answer.card = AskCard(request.cardNote, request.cards);
  return answer;
}

void FltkEventPump::ProcessPendingEvents() { Fl::check(); }

bool FltkEventPump::ProcessEventsFor(std::chrono::milliseconds longest) {
  if (Fl::first_window() == nullptr) return false;
  Fl::wait(std::chrono::duration<double>(longest).count());
  return Fl::first_window() != nullptr;
}

}  // namespace verolink::host
