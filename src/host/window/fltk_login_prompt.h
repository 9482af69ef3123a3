#pragma once

#include "host/phonebook/login_prompt.h"

namespace verolink::host {

// The subscriber's login asked in a small modal FLTK dialog ("Логин
// абонента:", OK and "Отмена"). Blanks around the answer are dropped and an
// empty one asks again; Escape, the close
// box or "Отмена" cancel.
class FltkLoginPrompt : public LoginPrompt {
 public:
  std::optional<std::string> AskLogin(const std::string& connectionName,
                                      const std::string& suggested) override;
};

}  // namespace verolink::host
