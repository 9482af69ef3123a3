#include "pppoe/pppoe_entry.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

#include "phonebook/error_text.h"
#include "phonebook/set_ras_entry.h"
#include "start/application.h"

namespace verolink::PPPoE {

namespace {

constexpr RasIpAddress kNoAddress{0, 0, 0, 0};  // no fixed name servers

// RASDT_PPPoE, in any letter case.
bool IsPPPoEType(const std::string& type) {
  constexpr std::string_view kPPPoE = "pppoe";
  return type.size() == kPPPoE.size() &&
         std::equal(type.begin(), type.end(), kPPPoE.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

}  // namespace

RasEntryRecord PPPoEEntryRecord(const Profile& profile, const Text& deviceName) {
  RasEntryRecord r;
  r.dwfOptions = 0x3D0D0310;  // default gateway, modem lights, compression, secure files,
                              // PAP, SPAP, CHAP, MS-CHAP, MS-CHAP v2, preview, progress
  r.szLocalPhoneNumber = TrimSpaces(profile.ServiceName);  // the PPPoE service name
  r.ipaddrDns = kNoAddress;
  r.ipaddrDnsAlt = kNoAddress;
  r.ipaddrWins = kNoAddress;
  r.ipaddrWinsAlt = kNoAddress;
  r.dwfNetProtocols = 4;    // RASNP_Ip
  r.dwFramingProtocol = 1;  // RASFP_Ppp
  r.szDeviceType = u"PPPoE";
  r.szDeviceName = deviceName;
  r.dwType = 5;            // RASET_Broadband
  r.dwEncryptionType = 3;  // ET_Optional
  r.dwCustomAuthKey = 0;
  r.dwVpnStrategy = 2;  // VS_PptpFirst
  // szDnsSuffix and all other members stay 0 or empty.
  return r;
}

Text PPPoEDeviceName(Platform& platform) {
  std::vector<RasDevice> devices;
  if (platform.phonebook.EnumDevices(devices) != kRasSuccess) return kBuiltInDeviceName;
  std::optional<Text> listed;
  for (const RasDevice& device : devices) {
    if (!IsPPPoEType(device.type)) continue;
    const Text name = platform.codePage.FromAnsi(device.name);
    if (name == kBuiltInDeviceName) return name;
    if (!listed && !name.empty()) listed = name;
  }
  return listed.value_or(kBuiltInDeviceName);
}

bool CreatePPPoEEntry(Platform& platform, const Profile& profile) {
  const RasError result =
      modRASVPN::SetRasEntry(platform, TrimSpaces(profile.ConnectionName),
                             PPPoEEntryRecord(profile, PPPoEDeviceName(platform)), Text());
  if (result == kRasSuccess) return true;
  platform.messageBoxes.Show(modRASVPN::ShownErrorText(platform, result), kMbOkOnly,
                             Application().title);
  return false;
}

}  // namespace verolink::PPPoE
