#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verolink::PPPoE {

// PPPoE discovery frames on Ethernet (RFC 2516): the PADI a host broadcasts
// to find access concentrators, and the PADO one answers with. No session is
// ever requested (no PADR), so nothing here opens one.
using MacAddress = std::array<std::uint8_t, 6>;

inline constexpr std::uint16_t kDiscoveryEthertype = 0x8863;
inline constexpr std::uint8_t kCodePadi = 0x09;
inline constexpr std::uint8_t kCodePado = 0x07;
inline constexpr std::uint16_t kTagEndOfList = 0x0000;
inline constexpr std::uint16_t kTagServiceName = 0x0101;
inline constexpr std::uint16_t kTagAcName = 0x0102;
inline constexpr std::uint16_t kTagHostUniq = 0x0103;
// A PADI must fit in an Ethernet payload of 1484 bytes (RFC 2516 5.1); the
// service names this program sends are far shorter.
inline constexpr std::size_t kMaxServiceName = 64;

// The PADI broadcast from `source` asking for `service` (empty: any), with
// `hostUniq` for telling our answers from others'.
std::vector<std::uint8_t> BuildPadi(const MacAddress& source, std::string_view service,
                                    std::span<const std::uint8_t> hostUniq);

// What one access concentrator offers.
struct PadoOffer {
  MacAddress concentrator{};
  std::string acName;  // as sent; may be empty
};

// The offer in `frame` when it is a well-formed PADO sent to `us` from a
// unicast address, carries our `hostUniq` and offers `service` (a Service-Name
// tag equal to it; any, when `service` is empty); else nullopt.
std::optional<PadoOffer> ParsePado(std::span<const std::uint8_t> frame, const MacAddress& us,
                                   std::string_view service,
                                   std::span<const std::uint8_t> hostUniq);

// "aa:bb:cc:dd:ee:ff".
std::string FormatMac(const MacAddress& address);

}  // namespace verolink::PPPoE
