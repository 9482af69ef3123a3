#pragma once

#include <functional>
#include <string>

namespace verolink::connect {

// The PPPoE password the connect window gives NetworkManager for one
// connection when NetworkManager asks the window's secret agent.
class SecretOffer {
 public:
  enum class Answer { kDecline, kCancel, kPassword };
  // Gives `password` for connection `uuid`, calling `asked` at each request.
  void Give(std::string uuid, std::string password, std::function<void()> asked);
  void Withdraw();
  // A request for `setting` of connection `uuid`: the password; a request
  // for a new one (the one given was refused) cancelled, as the window asks
  // again itself; anything else declined, left to other agents.
  Answer For(const std::string& uuid, const std::string& setting, bool requestNew);
  const std::string& password() const { return password_; }

 private:
  std::string uuid_, password_;
  std::function<void()> asked_;
};

}  // namespace verolink::connect
