#pragma once

#include <array>
#include <cstdint>

#include "common/text.h"

namespace verolink {

// An IP address member (RASIPADDR): the bytes a, b, c, d in that order.
struct RasIpAddress {
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  std::uint8_t c = 0;
  std::uint8_t d = 0;
  bool operator==(const RasIpAddress&) const = default;
};

// The program's own record of one phonebook entry: the platform's RASENTRYA
// member for member, in the same order and under the same names, with texts of
// any length. In the place of dwAlternateOffset it holds the alternate numbers
// as one text. A fresh record is all zeros and empty texts.
struct RasEntryRecord {
  std::uint32_t dwSize = 0;
  std::uint32_t dwfOptions = 0;
  std::uint32_t dwCountryID = 0;
  std::uint32_t dwCountryCode = 0;
  Text szAreaCode;
  Text szLocalPhoneNumber;
  Text AlternateNumbers;
  RasIpAddress ipaddr;
  RasIpAddress ipaddrDns;
  RasIpAddress ipaddrDnsAlt;
  RasIpAddress ipaddrWins;
  RasIpAddress ipaddrWinsAlt;
  std::uint32_t dwFrameSize = 0;
  std::uint32_t dwfNetProtocols = 0;
  std::uint32_t dwFramingProtocol = 0;
  Text szScript;
  Text szAutodialDll;
  Text szAutodialFunc;
  Text szDeviceType;
  Text szDeviceName;
  Text szX25PadType;
  Text szX25Address;
  Text szX25Facilities;
  Text szX25UserData;
  std::uint32_t dwChannels = 0;
  std::uint32_t dwSubEntries = 0;
  std::uint32_t dwDialMode = 0;
  std::uint32_t dwDialExtraPercent = 0;
  std::uint32_t dwDialExtraSampleSeconds = 0;
  std::uint32_t dwHangUpExtraPercent = 0;
  std::uint32_t dwHangUpExtraSampleSeconds = 0;
  std::uint32_t dwIdleDisconnectSeconds = 0;
  std::uint32_t dwType = 0;
  std::uint32_t dwEncryptionType = 0;
  std::uint32_t dwCustomAuthKey = 0;
  std::array<std::uint8_t, 16> guidId{};
  Text szCustomDialDll;
  std::uint32_t dwVpnStrategy = 0;
  std::uint32_t dwfOptions2 = 0;
  std::uint32_t dwfOptions3 = 0;
  Text szDnsSuffix;
  std::uint32_t dwTcpWindowSize = 0;
  Text szPrerequisitePbk;
  Text szPrerequisiteEntry;
  std::uint32_t dwRedialCount = 0;
  std::uint32_t dwRedialPause = 0;

  bool operator==(const RasEntryRecord&) const = default;
};

}  // namespace verolink
