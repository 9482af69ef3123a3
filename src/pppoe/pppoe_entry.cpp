#include "pppoe/pppoe_entry.h"

#include "phonebook/error_text.h"
#include "phonebook/set_ras_entry.h"
#include "start/application.h"

namespace verolink::PPPoE {

namespace {
constexpr RasIpAddress kNoAddress{0, 0, 0, 0};  // no fixed name servers
}

RasEntryRecord PPPoEEntryRecord(const Profile& profile) {
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
  r.szDeviceName = u"Минипорт WAN (PPPoE)";
  r.dwType = 5;            // RASET_Broadband
  r.dwEncryptionType = 3;  // ET_Optional
  r.dwCustomAuthKey = 0;
  r.dwVpnStrategy = 2;  // VS_PptpFirst
  // szDnsSuffix and all other members stay 0 or empty.
  return r;
}

bool CreatePPPoEEntry(Platform& platform, const Profile& profile) {
  const RasError result = modRASVPN::SetRasEntry(platform, TrimSpaces(profile.ConnectionName),
                                                 PPPoEEntryRecord(profile), Text());
  if (result == kRasSuccess) return true;
  platform.messageBoxes.Show(modRASVPN::ShownErrorText(platform, result), kMbOkOnly,
                             Application().title);
  return false;
}

}  // namespace verolink::PPPoE
