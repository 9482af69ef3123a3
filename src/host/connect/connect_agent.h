#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace verolink::host {

struct AgentObject;

// NetworkManager's secret agent inside the connect window's own process.
// NetworkManager asks first the agent of the process that started the
// activation, so a password offered here is the one pppd gets, and no
// desktop agent is asked as well.
class ConnectAgent {
 public:
  // Registered with NetworkManager on the system bus, waiting up to
  // `timeout` on the thread's default main context; null, with `reason`,
  // when it cannot be.
  static std::unique_ptr<ConnectAgent> Register(std::chrono::milliseconds timeout,
                                                std::string& reason);
  ~ConnectAgent();
  ConnectAgent(const ConnectAgent&) = delete;
  ConnectAgent& operator=(const ConnectAgent&) = delete;

  // Answers requests for the PPPoE password of connection `uuid` with
  // `password`, calling `asked` at each. A request for a new password (the
  // one given was refused) is cancelled: the window asks again itself.
  // Requests for anything else are left to other agents.
  void Offer(const std::string& uuid, const std::string& password, std::function<void()> asked);
  void Withdraw();

  // For the agent object: the answer to one request, or null to decline it.
  const std::string* Answer(const std::string& uuid, const std::string& setting, bool requestNew,
                            bool& cancel);

 private:
  explicit ConnectAgent(AgentObject* object);
  AgentObject* object_;
  std::string uuid_, password_;
  std::function<void()> asked_;
};

}  // namespace verolink::host
