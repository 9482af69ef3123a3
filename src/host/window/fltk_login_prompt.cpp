#include "host/window/fltk_login_prompt.h"

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_ask.H>

#include "host/window/fltk_text.h"
#include "start/application.h"

namespace verolink::host {

std::optional<std::string> FltkLoginPrompt::AskLogin(const std::string& connectionName,
                                                     const std::string& suggested) {
  fl_ok = "OK";
  fl_cancel = "Отмена";
  // The message boxes draw their own glyph into the shared icon.
  fl_message_icon()->labeltype(FL_NORMAL_LABEL);
  const std::string question =
      FltkDrawnText(std::string_view("Подключение «" + connectionName +
                                     "»: NetworkManager спросит пароль при подключении.\n\n"
                                     "Логин абонента:"));
  std::string offered = suggested;
  for (;;) {
    fl_message_title(ToUtf8(Application().title).c_str());
    const char* answer = fl_input("%s", offered.c_str(), question.c_str());
    if (answer == nullptr) return std::nullopt;
    // Blanks around a login are a slip of the keyboard.
    std::string login = answer;
    login.erase(0, login.find_first_not_of(" \t"));
    login.erase(login.find_last_not_of(" \t") + 1);
    if (!login.empty()) return login;
    offered.clear();
  }
}

}  // namespace verolink::host
