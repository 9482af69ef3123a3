#include "connect/dial_tracker.h"

namespace verolink::connect {

void DialTracker::PasswordGiven() {
  facts_.passwordAsked = true;
  events_.OnPasswordAsked();
}

// pppd names its interface once the provider has accepted the login.
void DialTracker::IpInterface(const std::string& name) {
  if (authenticated_ || !name.starts_with("ppp")) return;
  authenticated_ = true;
  events_.OnAuthenticated();
}

// The first reason the device went down for tells the end; what follows
// (the device removed, reset) does not.
void DialTracker::DeviceState(int state, int reason) {
  const bool down = state == nm::kDeviceFailed || state == nm::kDeviceDeactivating ||
                    state <= nm::kDeviceDisconnected;
  if (down && facts_.deviceReason == 0) facts_.deviceReason = reason;
}

std::optional<DialFacts> DialTracker::ActiveState(int state, int reason, int lastDeviceReason) {
  if (state == nm::kActiveActivated && !facts_.wasConnected) {
    facts_.wasConnected = true;
    Address(address_);
  } else if (state == nm::kActiveDeactivated) {
    facts_.activeReason = reason;
    if (facts_.deviceReason == 0) facts_.deviceReason = lastDeviceReason;
    return facts_;
  }
  return std::nullopt;
}

// The state may come before the address: connected is said once both have.
void DialTracker::Address(const std::string& address) {
  address_ = address;
  if (!facts_.wasConnected || reported_ || address_.empty()) return;
  reported_ = true;
  events_.OnConnected(address_);
}

}  // namespace verolink::connect
