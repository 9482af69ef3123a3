#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace verolink::host {

// What a write asks the subscriber before NetworkManager can keep a
// connection: the login, and on a computer with several Ethernet cards that
// may reach the provider, the card the provider's modem is on.
struct LoginRequest {
  std::string connectionName;  // UTF-8
  std::string suggestedLogin;  // offered in the field; may be empty
  // The cards to choose among (interface names); empty: none is asked.
  std::vector<std::string> cards;
};

struct LoginAnswer {
  std::string login;  // UTF-8, not empty
  std::string card;   // one of the request's cards; empty when none was asked
};

// Whether `login` (UTF-8) can be a provider's: not empty, and without the
// control characters (a tab, a line break) that a paste can bring along.
inline bool IsPossibleLogin(std::string_view login) {
  for (std::size_t i = 0; i < login.size(); ++i) {
    const auto byte = static_cast<unsigned char>(login[i]);
    const bool c1 = byte == 0xC2 && i + 1 < login.size() &&
                    static_cast<unsigned char>(login[i + 1]) < 0xA0;  // U+0080..U+009F
    if (byte < 0x20 || byte == 0x7F || c1) return false;
  }
  return !login.empty();
}
// What a prompt says when it refuses such a login.
inline constexpr char16_t kImpossibleLoginText[] =
    u"Логин абонента не может содержать табуляцию, перевод строки и другие управляющие знаки. "
    u"Введите логин без них.";

// Asks the subscriber for what a connection needs, for phonebooks that
// cannot write a connection without it.
class LoginPrompt {
 public:
  virtual ~LoginPrompt() = default;
  // The answer, or nullopt when the user cancels. A prompt refuses a login
  // that IsPossibleLogin rejects, saying kImpossibleLoginText.
  virtual std::optional<LoginAnswer> AskLogin(const LoginRequest& request) = 0;
};

}  // namespace verolink::host
