// verolink-pppoe-discover CARD SERVICE: asks on one Ethernet card whether an
// access concentrator offers SERVICE (a PPPoE PADI, twice at most) and prints
// what answered (pppoe/discovery_report.h). Never asks for a session, never
// runs anything, and ends within 2.5 s. Exit status: 0 when it listened, 2
// when it could not (the reason in one line on standard error), 64 for
// arguments it does not take.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "host/discovery/discovery_socket.h"
#include "pppoe/discovery_report.h"

using namespace verolink;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

constexpr milliseconds kResendAfter{1000};
constexpr milliseconds kListenFor{2500};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !PPPoE::IsValidCardName(argv[1]) || !PPPoE::IsValidServiceName(argv[2])) {
    std::fprintf(stderr,
                 "usage: verolink-pppoe-discover CARD SERVICE (a network card's name, "
                 "a PPPoE service name of printable ASCII)\n");
    return 64;
  }
  const std::string card = argv[1];
  const std::string service = argv[2];
  std::string error;
  host::DiscoverySocket socket(card, error);
  // The socket is all the capability was for.
  if (!host::DropCapabilities() && socket.IsOpen()) error = "cannot give up its capabilities";
  if (!error.empty()) {
    std::fprintf(stderr, "verolink-pppoe-discover: %s: %s\n", card.c_str(), error.c_str());
    return 2;
  }

  std::array<std::uint8_t, 8> hostUniq{};
  std::random_device random;
  for (std::uint8_t& byte : hostUniq) byte = static_cast<std::uint8_t>(random());
  const std::vector<std::uint8_t> padi = PPPoE::BuildPadi(socket.Address(), service, hostUniq);
  const Clock::time_point start = Clock::now();
  Clock::time_point resend = start;
  bool answered = false;
  while (!answered && Clock::now() < start + kListenFor) {
    if (Clock::now() >= resend) {
      socket.Send(padi);
      resend += kResendAfter;
    }
    const auto left = std::min(resend, start + kListenFor) - Clock::now();
    const std::vector<std::uint8_t> frame =
        socket.Receive(std::max(milliseconds(1), std::chrono::ceil<milliseconds>(left)));
    if (const auto offer = PPPoE::ParsePado(frame, socket.Address(), service, hostUniq)) {
      std::fputs(PPPoE::OfferLine(*offer).c_str(), stdout);
      answered = true;
    }
  }
  std::fputs(std::string(PPPoE::kDoneLine).c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 2;
}
