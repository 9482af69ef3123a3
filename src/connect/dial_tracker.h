#pragma once

#include <optional>
#include <string>

#include "connect/connect_engine.h"

namespace verolink::connect {

// One activation as NetworkManager reports it, told to the engine as a
// dial's events: the password given, the PPP interface appearing (the login
// accepted), the connection up once its address is known, and its end with
// the facts that tell why.
class DialTracker {
 public:
  explicit DialTracker(DialEvents& events) : events_(events) {}
  void PasswordGiven();
  // The device's IP interface is now `name`.
  void IpInterface(const std::string& name);
  void DeviceState(int state, int reason);
  // The active connection's state; `lastDeviceReason` what a device says
  // last. When the activation has ended, the facts for OnEnded, which the
  // caller tells once it has let the activation go.
  std::optional<DialFacts> ActiveState(int state, int reason, int lastDeviceReason);
  // The connection's address as far as known (empty: not yet).
  void Address(const std::string& address);

 private:
  DialEvents& events_;
  DialFacts facts_;
  bool authenticated_ = false;
  bool reported_ = false;
  std::string address_;
};

}  // namespace verolink::connect
