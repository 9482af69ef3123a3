#include "pado_harness.h"

#include <algorithm>
#include <vector>

#include "pppoe/discovery_frames.h"
#include "pppoe/discovery_report.h"

namespace verolink::fuzzing {

namespace {

const PPPoE::MacAddress kUs{0x02, 0, 0, 0, 0, 0x01};
const std::uint8_t kUniq[] = {1, 2, 3, 4};

std::string CheckFrame(std::span<const std::uint8_t> frame, std::string_view service) {
  const auto offer = PPPoE::ParsePado(frame, kUs, service, kUniq);
  if (!offer) return {};
  if (offer->acName.size() > frame.size()) return "an AC-Name longer than the frame";
  const PPPoE::DiscoveryReport report =
      PPPoE::ParseDiscoveryReport(PPPoE::OfferLine(*offer) + std::string(PPPoE::kDoneLine));
  if (!report.ran || report.acNames.size() != 1) return "an offer that does not read back";
  const std::string& name = report.acNames.front();
  if (name.size() > 64) return "an AC-Name of more than 64 characters reported";
  for (const char c : name)
    if (c < 0x20 || c >= 0x7F) return "a byte outside printable ASCII reported";
  return {};
}

}  // namespace

std::string RunPado(std::span<const std::uint8_t> data) {
  for (const std::string_view service : {"pelkar", ""}) {
    if (std::string problem = CheckFrame(data, service); !problem.empty()) return problem;
    std::vector<std::uint8_t> ours(data.begin(), data.end());
    ours.resize(std::max<std::size_t>(ours.size(), 16));
    std::copy(kUs.begin(), kUs.end(), ours.begin());
    ours[12] = 0x88;
    ours[13] = 0x63;
    if (std::string problem = CheckFrame(ours, service); !problem.empty()) return problem;
  }
  return {};
}

}  // namespace verolink::fuzzing
