#pragma once

#include <cstdint>

namespace verolink::entry_layout {

// Where each member of the platform's entry structure (RASENTRYA) lies in the
// entry image, for the entry size the platform reports. Offsets are in bytes
// from the start of the image; widths are the field widths in bytes.

inline constexpr std::uint32_t kSmallestEntrySize = 1672;  // the oldest layout

inline constexpr std::uint32_t kSize = 0;
inline constexpr std::uint32_t kOptions = 4;
inline constexpr std::uint32_t kCountryId = 8;
inline constexpr std::uint32_t kCountryCode = 12;
inline constexpr std::uint32_t kAreaCode = 16, kAreaCodeWidth = 11;
inline constexpr std::uint32_t kLocalPhoneNumber = 27, kLocalPhoneNumberWidth = 129;
inline constexpr std::uint32_t kAlternateOffset = 156;
inline constexpr std::uint32_t kIpAddr = 160;
inline constexpr std::uint32_t kIpAddrDns = 164;
inline constexpr std::uint32_t kIpAddrDnsAlt = 168;
inline constexpr std::uint32_t kIpAddrWins = 172;
inline constexpr std::uint32_t kIpAddrWinsAlt = 176;
inline constexpr std::uint32_t kFrameSize = 180;
inline constexpr std::uint32_t kNetProtocols = 184;
inline constexpr std::uint32_t kFramingProtocol = 188;
inline constexpr std::uint32_t kPathWidth = 260;  // MAX_PATH fields
inline constexpr std::uint32_t kScript = 192;
inline constexpr std::uint32_t kAutodialDll = 452;
inline constexpr std::uint32_t kAutodialFunc = 712;
inline constexpr std::uint32_t kDeviceType = 972, kDeviceTypeWidth = 17;
inline constexpr std::uint32_t kDeviceName = 989;
inline constexpr std::uint32_t kX25PadTypeWidth = 33;
inline constexpr std::uint32_t kX25FieldWidth = 201;  // address, facilities, user data

// Dial members (rows 26 to 32), present when the size is above 1768.
inline constexpr std::uint32_t kDialMembersAbove = 1768;
inline constexpr std::uint32_t kSubEntries = 1768;
inline constexpr std::uint32_t kDialMode = 1772;
inline constexpr std::uint32_t kDialExtraPercent = 1776;
inline constexpr std::uint32_t kDialExtraSampleSeconds = 1780;
inline constexpr std::uint32_t kHangUpExtraPercent = 1784;
inline constexpr std::uint32_t kHangUpExtraSampleSeconds = 1788;
inline constexpr std::uint32_t kIdleDisconnectSeconds = 1792;

// Type and security members (rows 33 to 38), present when above 1796.
inline constexpr std::uint32_t kTypeMembersAbove = 1796;
inline constexpr std::uint32_t kType = 1796;
inline constexpr std::uint32_t kEncryptionType = 1800;
inline constexpr std::uint32_t kCustomAuthKey = 1804;
inline constexpr std::uint32_t kGuidId = 1808, kGuidIdWidth = 16;
inline constexpr std::uint32_t kCustomDialDll = 1824;
inline constexpr std::uint32_t kVpnStrategy = 2084;

// Second options and DNS suffix (rows 39 to 41), present when above 2088.
inline constexpr std::uint32_t kOptions2MembersAbove = 2088;
inline constexpr std::uint32_t kOptions2 = 2088;
inline constexpr std::uint32_t kOptions3 = 2092;
inline constexpr std::uint32_t kDnsSuffix = 2096, kDnsSuffixWidth = 256;

// The part of the layout that moves with the device name's width.
struct DeviceBlock {
  std::uint32_t deviceNameWidth;
  std::uint32_t x25PadType;
  std::uint32_t x25Address;
  std::uint32_t x25Facilities;
  std::uint32_t x25UserData;
  std::uint32_t channels;  // two bytes after szX25UserData, on a 4-byte boundary
};

constexpr DeviceBlock DeviceBlockFor(std::uint32_t entrySize) {
  const std::uint32_t w = entrySize == kSmallestEntrySize ? 33 : 129;
  const std::uint32_t pad = kDeviceName + w;
  const std::uint32_t address = pad + kX25PadTypeWidth;
  const std::uint32_t facilities = address + kX25FieldWidth;
  const std::uint32_t userData = facilities + kX25FieldWidth;
  return DeviceBlock{w, pad, address, facilities, userData, userData + kX25FieldWidth + 2};
}

constexpr bool HasDialMembers(std::uint32_t entrySize) { return entrySize > kDialMembersAbove; }
constexpr bool HasTypeMembers(std::uint32_t entrySize) { return entrySize > kTypeMembersAbove; }
constexpr bool HasOptions2Members(std::uint32_t entrySize) {
  return entrySize > kOptions2MembersAbove;
}

// One past the last byte that the members written for this size occupy.
constexpr std::uint32_t WrittenEnd(std::uint32_t entrySize) {
  if (HasOptions2Members(entrySize)) return kDnsSuffix + kDnsSuffixWidth;
  if (HasTypeMembers(entrySize)) return kVpnStrategy + 4;
  if (HasDialMembers(entrySize)) return kIdleDisconnectSeconds + 4;
  return DeviceBlockFor(entrySize).channels + 4;
}

// Whether an entry of this size holds every member its layout writes. Sizes
// the platform really reports (1672, 1768, 1796, 2088, 2884, ...) all do; a
// size in between would put members past the end of the structure.
constexpr bool LayoutFits(std::uint32_t entrySize) {
  return entrySize >= kSmallestEntrySize && entrySize >= WrittenEnd(entrySize);
}

static_assert(LayoutFits(1672) && LayoutFits(1768) && LayoutFits(1796) && LayoutFits(2088) &&
              LayoutFits(2884));
static_assert(!LayoutFits(0) && !LayoutFits(1700) && !LayoutFits(1780) && !LayoutFits(2000) &&
              !LayoutFits(2100));
static_assert(DeviceBlockFor(1672).channels == 1660);
static_assert(DeviceBlockFor(1768).channels == 1756);
static_assert(DeviceBlockFor(1672).x25Address == 1055);

}  // namespace verolink::entry_layout
