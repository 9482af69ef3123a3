#pragma once

#include <optional>
#include <string>
#include <vector>

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

// Asks the subscriber for what a connection needs, for phonebooks that
// cannot write a connection without it.
class LoginPrompt {
 public:
  virtual ~LoginPrompt() = default;
  // The answer, or nullopt when the user cancels. A prompt refuses a login
  // that PPPoE::IsPossibleLogin rejects, saying its text.
  virtual std::optional<LoginAnswer> AskLogin(const LoginRequest& request) = 0;
};

}  // namespace verolink::host
