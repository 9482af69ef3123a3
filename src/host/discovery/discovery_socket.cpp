#include "host/discovery/discovery_socket.h"

#include <arpa/inet.h>
#include <linux/capability.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace verolink::host {

DiscoverySocket::DiscoverySocket(const std::string& card, std::string& error) {
  const unsigned index = ::if_nametoindex(card.c_str());
  if (index == 0) {
    error = "no network card " + card;
    return;
  }
  const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(PPPoE::kDiscoveryEthertype));
  if (fd < 0) {
    error = errno == EPERM ? "no permission to open a raw socket (it needs CAP_NET_RAW: "
                             "setcap cap_net_raw+ep on this program, as its package does)"
                           : std::string("cannot open a raw socket: ") + std::strerror(errno);
    return;
  }
  ifreq request{};
  std::strncpy(request.ifr_name, card.c_str(), IFNAMSIZ - 1);
  sockaddr_ll where{};
  where.sll_family = AF_PACKET;
  where.sll_protocol = htons(PPPoE::kDiscoveryEthertype);
  where.sll_ifindex = static_cast<int>(index);
  if (::ioctl(fd, SIOCGIFHWADDR, &request) != 0 ||
      ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
    error = "cannot listen on " + card + ": " + std::strerror(errno);
    ::close(fd);
    return;
  }
  std::memcpy(address_.data(), request.ifr_hwaddr.sa_data, address_.size());
  fd_ = fd;
}

DiscoverySocket::~DiscoverySocket() {
  if (fd_ >= 0) ::close(fd_);
}

bool DiscoverySocket::Send(std::span<const std::uint8_t> frame) {
  return ::send(fd_, frame.data(), frame.size(), 0) == static_cast<ssize_t>(frame.size());
}

std::vector<std::uint8_t> DiscoverySocket::Receive(std::chrono::milliseconds wait) {
  pollfd ready{fd_, POLLIN, 0};
  if (::poll(&ready, 1, static_cast<int>(wait.count())) <= 0) return {};
  std::vector<std::uint8_t> frame(ETH_FRAME_LEN);
  const ssize_t size = ::recv(fd_, frame.data(), frame.size(), 0);
  frame.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  return frame;
}

bool DropCapabilities() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3]{};
  return ::syscall(SYS_capset, &header, none) == 0 && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

}  // namespace verolink::host
