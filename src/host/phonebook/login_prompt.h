#pragma once

#include <optional>
#include <string>

namespace verolink::host {

// Asks the subscriber for the login that a connection needs, for phonebooks
// that cannot write a connection without one.
class LoginPrompt {
 public:
  virtual ~LoginPrompt() = default;
  // Asks for the login of `connectionName` (UTF-8), offering `suggested`.
  // Returns the login (UTF-8, not empty), or nullopt when the user cancels.
  virtual std::optional<std::string> AskLogin(const std::string& connectionName,
                                              const std::string& suggested) = 0;
};

}  // namespace verolink::host
