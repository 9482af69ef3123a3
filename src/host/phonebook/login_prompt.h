#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pppoe/card_choice.h"

namespace verolink::host {

// What a write asks the subscriber before NetworkManager can keep a
// connection: the login, and on a computer with several Ethernet cards where
// discovery did not settle it, the card the provider's modem is on.
struct LoginRequest {
  std::string connectionName;  // UTF-8
  std::string suggestedLogin;  // offered in the field; may be empty
  // About the card, in a sentence or two shown with the question (UTF-8):
  // the card found, or why the subscriber is asked; empty: nothing to say.
  std::string cardNote;
  // The cards to choose among, in this order, none chosen in advance; the
  // answer must name one of them. Empty: none is asked.
  std::vector<PPPoE::CardOption> cards;
};

struct LoginAnswer {
  std::string login;  // UTF-8, not empty
  std::string card;   // one of the request's cards; empty when none was asked or chosen
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
