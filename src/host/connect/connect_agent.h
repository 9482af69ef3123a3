#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "connect/secret_offer.h"

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

  // What it answers NetworkManager's requests with.
  connect::SecretOffer& offer() { return offer_; }

 private:
  explicit ConnectAgent(AgentObject* object);
  AgentObject* object_;
  connect::SecretOffer offer_;
};

}  // namespace verolink::host
