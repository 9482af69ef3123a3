#pragma once

#include <cstdint>
#include <span>

#include "phonebook/entry_layout.h"
#include "phonebook/ras_entry_record.h"

namespace verolink::entry_layout {

// Which record member goes where in the entry image, for the members whose
// place does not move with the entry size. The image is written from these
// tables and read back through the same ones, so the layout is stated once.

using R = RasEntryRecord;

struct Number {  // a little-endian 32-bit member
  std::uint32_t offset;
  std::uint32_t R::*member;
};
struct Address {  // a RASIPADDR member, bytes a, b, c, d
  std::uint32_t offset;
  RasIpAddress R::*member;
};
struct Field {  // a text member in a fixed-width field
  std::uint32_t offset;
  std::uint32_t width;
  Text R::*member;
};

// Members at the same place in every layout (rows 2 to 19).
inline constexpr Number kFixedNumbers[] = {
    {kOptions, &R::dwfOptions},           {kCountryId, &R::dwCountryID},
    {kCountryCode, &R::dwCountryCode},    {kFrameSize, &R::dwFrameSize},
    {kNetProtocols, &R::dwfNetProtocols}, {kFramingProtocol, &R::dwFramingProtocol},
};
inline constexpr Address kAddresses[] = {
    {kIpAddr, &R::ipaddr},
    {kIpAddrDns, &R::ipaddrDns},
    {kIpAddrDnsAlt, &R::ipaddrDnsAlt},
    {kIpAddrWins, &R::ipaddrWins},
    {kIpAddrWinsAlt, &R::ipaddrWinsAlt},
};
inline constexpr Field kFixedTexts[] = {
    {kAreaCode, kAreaCodeWidth, &R::szAreaCode},
    {kLocalPhoneNumber, kLocalPhoneNumberWidth, &R::szLocalPhoneNumber},
    {kScript, kPathWidth, &R::szScript},
    {kAutodialDll, kPathWidth, &R::szAutodialDll},
    {kAutodialFunc, kPathWidth, &R::szAutodialFunc},
    {kDeviceType, kDeviceTypeWidth, &R::szDeviceType},
};

// Dial members (rows 26 to 32), present when HasDialMembers.
inline constexpr Number kDialNumbers[] = {
    {kSubEntries, &R::dwSubEntries},
    {kDialMode, &R::dwDialMode},
    {kDialExtraPercent, &R::dwDialExtraPercent},
    {kDialExtraSampleSeconds, &R::dwDialExtraSampleSeconds},
    {kHangUpExtraPercent, &R::dwHangUpExtraPercent},
    {kHangUpExtraSampleSeconds, &R::dwHangUpExtraSampleSeconds},
    {kIdleDisconnectSeconds, &R::dwIdleDisconnectSeconds},
};

// Type and security members (rows 33 to 38; guidId apart), when HasTypeMembers.
inline constexpr Number kTypeNumbers[] = {
    {kType, &R::dwType},
    {kEncryptionType, &R::dwEncryptionType},
    {kCustomAuthKey, &R::dwCustomAuthKey},
    {kVpnStrategy, &R::dwVpnStrategy},
};
inline constexpr Field kTypeTexts[] = {{kCustomDialDll, kPathWidth, &R::szCustomDialDll}};

// Second options and DNS suffix (rows 39 to 41), when HasOptions2Members.
inline constexpr Number kOptions2Numbers[] = {
    {kOptions2, &R::dwfOptions2},
    {kOptions3, &R::dwfOptions3},
};
inline constexpr Field kOptions2Texts[] = {{kDnsSuffix, kDnsSuffixWidth, &R::szDnsSuffix}};

// The texts that follow the device name; their places move with its width.
struct DeviceTexts {
  Field fields[5];
};
constexpr DeviceTexts DeviceTextsFor(std::uint32_t entrySize) {
  const DeviceBlock d = DeviceBlockFor(entrySize);
  return DeviceTexts{{{kDeviceName, d.deviceNameWidth, &R::szDeviceName},
                      {d.x25PadType, kX25PadTypeWidth, &R::szX25PadType},
                      {d.x25Address, kX25FieldWidth, &R::szX25Address},
                      {d.x25Facilities, kX25FieldWidth, &R::szX25Facilities},
                      {d.x25UserData, kX25FieldWidth, &R::szX25UserData}}};
}

}  // namespace verolink::entry_layout
