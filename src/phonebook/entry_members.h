#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "phonebook/entry_layout.h"
#include "phonebook/ras_entry_record.h"

namespace verolink::entry_layout {

// Which record member goes where in the entry image, under the platform's
// member name. The image is written from these tables, read back through the
// same ones, and the phonebook file names its keys after them, so the layout
// is stated once.

using R = RasEntryRecord;

struct Number {  // a little-endian 32-bit member
  std::uint32_t offset;
  std::uint32_t R::*member;
  std::string_view name;
};
struct Address {  // a RASIPADDR member, bytes a, b, c, d
  std::uint32_t offset;
  RasIpAddress R::*member;
  std::string_view name;
};
struct Field {  // a text member in a fixed-width field
  std::uint32_t offset;
  std::uint32_t width;
  Text R::*member;
  std::string_view name;
};
struct Guid {  // the 16 bytes of guidId
  std::uint32_t offset;
  std::array<std::uint8_t, 16> R::*member;
  std::string_view name;
};

// Members at the same place in every layout (rows 2 to 19).
inline constexpr Number kFixedNumbers[] = {
    {kOptions, &R::dwfOptions, "dwfOptions"},
    {kCountryId, &R::dwCountryID, "dwCountryID"},
    {kCountryCode, &R::dwCountryCode, "dwCountryCode"},
    {kFrameSize, &R::dwFrameSize, "dwFrameSize"},
    {kNetProtocols, &R::dwfNetProtocols, "dwfNetProtocols"},
    {kFramingProtocol, &R::dwFramingProtocol, "dwFramingProtocol"},
};
inline constexpr Address kAddresses[] = {
    {kIpAddr, &R::ipaddr, "ipaddr"},
    {kIpAddrDns, &R::ipaddrDns, "ipaddrDns"},
    {kIpAddrDnsAlt, &R::ipaddrDnsAlt, "ipaddrDnsAlt"},
    {kIpAddrWins, &R::ipaddrWins, "ipaddrWins"},
    {kIpAddrWinsAlt, &R::ipaddrWinsAlt, "ipaddrWinsAlt"},
};
inline constexpr Field kFixedTexts[] = {
    {kAreaCode, kAreaCodeWidth, &R::szAreaCode, "szAreaCode"},
    {kLocalPhoneNumber, kLocalPhoneNumberWidth, &R::szLocalPhoneNumber, "szLocalPhoneNumber"},
    {kScript, kPathWidth, &R::szScript, "szScript"},
    {kAutodialDll, kPathWidth, &R::szAutodialDll, "szAutodialDll"},
    {kAutodialFunc, kPathWidth, &R::szAutodialFunc, "szAutodialFunc"},
    {kDeviceType, kDeviceTypeWidth, &R::szDeviceType, "szDeviceType"},
};

// Dial members (rows 26 to 32), present when HasDialMembers.
inline constexpr Number kDialNumbers[] = {
    {kSubEntries, &R::dwSubEntries, "dwSubEntries"},
    {kDialMode, &R::dwDialMode, "dwDialMode"},
    {kDialExtraPercent, &R::dwDialExtraPercent, "dwDialExtraPercent"},
    {kDialExtraSampleSeconds, &R::dwDialExtraSampleSeconds, "dwDialExtraSampleSeconds"},
    {kHangUpExtraPercent, &R::dwHangUpExtraPercent, "dwHangUpExtraPercent"},
    {kHangUpExtraSampleSeconds, &R::dwHangUpExtraSampleSeconds, "dwHangUpExtraSampleSeconds"},
    {kIdleDisconnectSeconds, &R::dwIdleDisconnectSeconds, "dwIdleDisconnectSeconds"},
};

// Type and security members (rows 33 to 38), when HasTypeMembers.
inline constexpr Number kTypeNumbers[] = {
    {kType, &R::dwType, "dwType"},
    {kEncryptionType, &R::dwEncryptionType, "dwEncryptionType"},
    {kCustomAuthKey, &R::dwCustomAuthKey, "dwCustomAuthKey"},
    {kVpnStrategy, &R::dwVpnStrategy, "dwVpnStrategy"},
};
inline constexpr Guid kGuid{kGuidId, &R::guidId, "guidId"};
inline constexpr Field kTypeTexts[] = {
    {kCustomDialDll, kPathWidth, &R::szCustomDialDll, "szCustomDialDll"}};

// Second options and DNS suffix (rows 39 to 41), when HasOptions2Members.
inline constexpr Number kOptions2Numbers[] = {
    {kOptions2, &R::dwfOptions2, "dwfOptions2"},
    {kOptions3, &R::dwfOptions3, "dwfOptions3"},
};
inline constexpr Field kOptions2Texts[] = {
    {kDnsSuffix, kDnsSuffixWidth, &R::szDnsSuffix, "szDnsSuffix"}};

// The texts that follow the device name; their places move with its width.
struct DeviceTexts {
  Field fields[5];
};
constexpr DeviceTexts DeviceTextsFor(std::uint32_t entrySize) {
  const DeviceBlock d = DeviceBlockFor(entrySize);
  return DeviceTexts{{{kDeviceName, d.deviceNameWidth, &R::szDeviceName, "szDeviceName"},
                      {d.x25PadType, kX25PadTypeWidth, &R::szX25PadType, "szX25PadType"},
                      {d.x25Address, kX25FieldWidth, &R::szX25Address, "szX25Address"},
                      {d.x25Facilities, kX25FieldWidth, &R::szX25Facilities, "szX25Facilities"},
                      {d.x25UserData, kX25FieldWidth, &R::szX25UserData, "szX25UserData"}}};
}

// Calls `visit` with every member (Number, Address, Field or Guid) that an
// image of `entrySize` holds, table by table. dwSize and the
// appended alternate numbers are not members of a table: each reader and
// writer handles them itself.
template <class Visit>
void ForEachMember(std::uint32_t entrySize, Visit&& visit) {
  auto each = [&](const auto& table) {
    for (const auto& member : table) visit(member);
  };
  each(kFixedNumbers);
  each(kAddresses);
  each(kFixedTexts);
  each(DeviceTextsFor(entrySize).fields);
  visit(Number{DeviceBlockFor(entrySize).channels, &R::dwChannels, "dwChannels"});
  if (!HasDialMembers(entrySize)) return;
  each(kDialNumbers);
  if (!HasTypeMembers(entrySize)) return;
  each(kTypeNumbers);
  visit(kGuid);
  each(kTypeTexts);
  if (!HasOptions2Members(entrySize)) return;
  each(kOptions2Numbers);
  each(kOptions2Texts);
}

}  // namespace verolink::entry_layout
