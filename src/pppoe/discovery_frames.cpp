#include "pppoe/discovery_frames.h"

#include <algorithm>
#include <cstdio>

namespace verolink::PPPoE {

namespace {

constexpr std::size_t kEthernetHeader = 14;
constexpr std::size_t kPppoeHeader = 6;
constexpr std::uint8_t kVersionAndType = 0x11;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

void PutTag(std::vector<std::uint8_t>& out, std::uint16_t type,
            std::span<const std::uint8_t> value) {
  Put16(out, type);
  Put16(out, static_cast<std::uint16_t>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool SameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return std::ranges::equal(a, b);
}

}  // namespace

std::vector<std::uint8_t> BuildPadi(const MacAddress& source, std::string_view service,
                                    std::span<const std::uint8_t> hostUniq) {
  std::vector<std::uint8_t> frame(12, 0xFF);  // to every station, from ours
  std::ranges::copy(source, frame.begin() + 6);
  Put16(frame, kDiscoveryEthertype);
  frame.push_back(kVersionAndType);
  frame.push_back(kCodePadi);
  Put16(frame, 0);  // no session yet
  Put16(frame, 0);  // payload length, set below
  PutTag(frame, kTagServiceName, Bytes(service));
  if (!hostUniq.empty()) PutTag(frame, kTagHostUniq, hostUniq);
  const std::size_t payload = frame.size() - kEthernetHeader - kPppoeHeader;
  frame[kEthernetHeader + 4] = static_cast<std::uint8_t>(payload >> 8);
  frame[kEthernetHeader + 5] = static_cast<std::uint8_t>(payload & 0xFF);
  return frame;
}

std::optional<PadoOffer> ParsePado(std::span<const std::uint8_t> frame, const MacAddress& us,
                                   std::string_view service,
                                   std::span<const std::uint8_t> hostUniq) {
  if (frame.size() < kEthernetHeader + kPppoeHeader) return std::nullopt;
  if (!SameBytes(frame.first(6), us)) return std::nullopt;
  PadoOffer offer;
  std::copy_n(frame.begin() + 6, 6, offer.concentrator.begin());
  // A concentrator answers from its own (unicast) address.
  if (offer.concentrator[0] & 0x01) return std::nullopt;
  if (Get16(frame, 12) != kDiscoveryEthertype) return std::nullopt;
  const std::span<const std::uint8_t> header = frame.subspan(kEthernetHeader, kPppoeHeader);
  if (header[0] != kVersionAndType || header[1] != kCodePado) return std::nullopt;
  if (Get16(header, 2) != 0) return std::nullopt;
  const std::size_t length = Get16(header, 4);
  // Ethernet pads short frames, so the frame may be longer than the payload.
  if (length > frame.size() - kEthernetHeader - kPppoeHeader) return std::nullopt;
  const std::span<const std::uint8_t> tags = frame.subspan(kEthernetHeader + kPppoeHeader, length);

  bool offersService = false;
  bool ours = hostUniq.empty();
  std::size_t at = 0;
  while (at + 4 <= tags.size()) {
    const std::uint16_t type = Get16(tags, at);
    const std::size_t size = Get16(tags, at + 2);
    if (at + 4 + size > tags.size()) return std::nullopt;  // a tag past the payload
    const std::span<const std::uint8_t> value = tags.subspan(at + 4, size);
    at += 4 + size;
    if (type == kTagEndOfList) break;
    if (type == kTagServiceName)
      offersService |= service.empty() || SameBytes(value, Bytes(service));
    if (type == kTagAcName) offer.acName.assign(value.begin(), value.end());
    if (type == kTagHostUniq) ours = SameBytes(value, hostUniq);
  }
  if (!offersService || !ours) return std::nullopt;
  return offer;
}

std::string FormatMac(const MacAddress& address) {
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", address[0], address[1],
                address[2], address[3], address[4], address[5]);
  return text;
}

}  // namespace verolink::PPPoE
