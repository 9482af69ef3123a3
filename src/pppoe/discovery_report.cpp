#include "pppoe/discovery_report.h"

#include <algorithm>

namespace verolink::PPPoE {

namespace {

constexpr std::size_t kMaxAcName = 64;
constexpr std::string_view kOffer = "offer ";
constexpr std::size_t kMacText = 17;

bool Printable(char c) { return c >= 0x20 && c < 0x7F; }

}  // namespace

bool IsValidCardName(std::string_view name) {
  if (name.empty() || name.size() > 15 || name == "." || name == "..") return false;
  return std::ranges::all_of(name, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

bool IsValidServiceName(std::string_view service) {
  return service.size() <= kMaxServiceName && std::ranges::all_of(service, Printable);
}

std::string OfferLine(const PadoOffer& offer) {
  std::string name = offer.acName.substr(0, kMaxAcName);
  std::ranges::replace_if(
      name, [](char c) { return !Printable(c); }, '?');
  return std::string(kOffer) + FormatMac(offer.concentrator) + " " + name + "\n";
}

DiscoveryReport ParseDiscoveryReport(std::string_view output) {
  DiscoveryReport report;
  while (!output.empty()) {
    const std::size_t end = output.find('\n');
    if (end == std::string_view::npos) break;  // a line cut short: the helper was stopped
    const std::string_view line = output.substr(0, end);
    output.remove_prefix(end + 1);
    if (line == kDoneLine.substr(0, kDoneLine.size() - 1)) report.ran = true;
    if (line.starts_with(kOffer) && line.size() > kOffer.size() + kMacText &&
        line[kOffer.size() + kMacText] == ' ') {
      report.acNames.emplace_back(line.substr(kOffer.size() + kMacText + 1));
    }
  }
  return report;
}

}  // namespace verolink::PPPoE
