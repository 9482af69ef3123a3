#pragma once

// The discovery helper (verolink-pppoe-discover): the one program of the
// package with CAP_NET_RAW, which it gives up once its socket is open.

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pppoe/discovery_frames.h"

namespace verolink::host {

// A raw socket on one Ethernet card that sends and receives PPPoE discovery
// frames only.
class DiscoverySocket {
 public:
  // Opens it on `card`; on failure `error` says why and the socket is not open.
  DiscoverySocket(const std::string& card, std::string& error);
  ~DiscoverySocket();
  DiscoverySocket(const DiscoverySocket&) = delete;
  DiscoverySocket& operator=(const DiscoverySocket&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  const PPPoE::MacAddress& Address() const { return address_; }
  bool Send(std::span<const std::uint8_t> frame);
  // The next discovery frame within `wait`; empty when none came.
  std::vector<std::uint8_t> Receive(std::chrono::milliseconds wait);

 private:
  int fd_ = -1;
  PPPoE::MacAddress address_{};
};

// Drops every capability this process holds, for good; false when it could not.
bool DropCapabilities();

}  // namespace verolink::host
