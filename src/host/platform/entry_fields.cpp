#include "host/platform/entry_fields.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <iterator>
#include <utility>

#include "phonebook/entry_layout.h"

namespace verolink::host {

namespace {

namespace layout = entry_layout;
using enum FieldKind;
using enum FieldGroup;

constexpr ImageMember kMembers[] = {
    {"options", Hex, Always, layout::kOptions, 4},
    {"countryId", Decimal, Always, layout::kCountryId, 4},
    {"countryCode", Decimal, Always, layout::kCountryCode, 4},
    {"areaCode", Text, Always, layout::kAreaCode, layout::kAreaCodeWidth},
    {"phoneNumber", Text, Always, layout::kLocalPhoneNumber, layout::kLocalPhoneNumberWidth},
    {kAlternateNumbersKey, Text, Appended, layout::kAlternateOffset, 4},
    {"ip", Address, Always, layout::kIpAddr, 4},
    {"dns", Address, Always, layout::kIpAddrDns, 4},
    {"dnsAlt", Address, Always, layout::kIpAddrDnsAlt, 4},
    {"wins", Address, Always, layout::kIpAddrWins, 4},
    {"winsAlt", Address, Always, layout::kIpAddrWinsAlt, 4},
    {"frameSize", Decimal, Always, layout::kFrameSize, 4},
    {"netProtocols", Hex, Always, layout::kNetProtocols, 4},
    {"framingProtocol", Decimal, Always, layout::kFramingProtocol, 4},
    {"script", Text, Always, layout::kScript, layout::kPathWidth},
    {"autodialDll", Text, Always, layout::kAutodialDll, layout::kPathWidth},
    {"autodialFunc", Text, Always, layout::kAutodialFunc, layout::kPathWidth},
    {"deviceType", Text, Always, layout::kDeviceType, layout::kDeviceTypeWidth},
    {"deviceName", Text, Always, 0, 0, DevicePart::Name},
    {"x25PadType", Text, Always, 0, layout::kX25PadTypeWidth, DevicePart::X25PadType},
    {"x25Address", Text, Always, 0, layout::kX25FieldWidth, DevicePart::X25Address},
    {"x25Facilities", Text, Always, 0, layout::kX25FieldWidth, DevicePart::X25Facilities},
    {"x25UserData", Text, Always, 0, layout::kX25FieldWidth, DevicePart::X25UserData},
    {"channels", Decimal, Always, 0, 4, DevicePart::Channels},
    {"subEntries", Decimal, Dial, layout::kSubEntries, 4},
    {"dialMode", Decimal, Dial, layout::kDialMode, 4},
    {"dialExtraPercent", Decimal, Dial, layout::kDialExtraPercent, 4},
    {"dialExtraSampleSeconds", Decimal, Dial, layout::kDialExtraSampleSeconds, 4},
    {"hangUpExtraPercent", Decimal, Dial, layout::kHangUpExtraPercent, 4},
    {"hangUpExtraSampleSeconds", Decimal, Dial, layout::kHangUpExtraSampleSeconds, 4},
    {"idleDisconnectSeconds", Decimal, Dial, layout::kIdleDisconnectSeconds, 4},
    {"type", Decimal, Type, layout::kType, 4},
    {"encryptionType", Decimal, Type, layout::kEncryptionType, 4},
    {"customAuthKey", Decimal, Type, layout::kCustomAuthKey, 4},
    {"guid", Guid, Type, layout::kGuidId, layout::kGuidIdWidth},
    {"customDialDll", Text, Type, layout::kCustomDialDll, layout::kPathWidth},
    {"vpnStrategy", Decimal, Type, layout::kVpnStrategy, 4},
    {"options2", Hex, Options2, layout::kOptions2, 4},
    {"options3", Hex, Options2, layout::kOptions3, 4},
    {"dnsSuffix", Text, Options2, layout::kDnsSuffix, layout::kDnsSuffixWidth},
};

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsWellFormedHex(std::string_view v) {
  if (v.size() < 3 || v.size() > 10 || v[0] != '0' || (v[1] != 'x' && v[1] != 'X')) return false;
  return std::all_of(v.begin() + 2, v.end(), IsHexDigit);
}

bool IsWellFormedAddress(std::string_view v) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t end = part < 3 ? v.find('.') : v.size();
    if (end == std::string_view::npos || end == 0 || end > 3) return false;
    const auto number = ParseDecimal(v.substr(0, end));
    if (!number || *number > 255) return false;
    v.remove_prefix(part < 3 ? end + 1 : end);
  }
  return v.empty();
}

bool IsWellFormedGuid(std::string_view v) {
  if (v.size() != 38 || v.front() != '{' || v.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < v.size(); ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? v[i] != '-' : !IsHexDigit(v[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const ImageMember> ImageMembers() { return kMembers; }

bool MemberPresent(const ImageMember& member, std::uint32_t entrySize) {
  switch (member.group) {
    case Always:
    case Appended:
      return true;
    case Dial:
      return layout::HasDialMembers(entrySize);
    case Type:
      return layout::HasTypeMembers(entrySize);
    case Options2:
      return layout::HasOptions2Members(entrySize);
  }
  return false;
}

FieldPlace PlaceOf(const ImageMember& member, std::uint32_t entrySize) {
  const layout::DeviceBlock block = layout::DeviceBlockFor(entrySize);
  switch (member.device) {
    case DevicePart::None:
      return {member.offset, member.width};
    case DevicePart::Name:
      return {layout::kDeviceName, block.deviceNameWidth};
    case DevicePart::X25PadType:
      return {block.x25PadType, member.width};
    case DevicePart::X25Address:
      return {block.x25Address, member.width};
    case DevicePart::X25Facilities:
      return {block.x25Facilities, member.width};
    case DevicePart::X25UserData:
      return {block.x25UserData, member.width};
    case DevicePart::Channels:
      return {block.channels, member.width};
  }
  return {member.offset, member.width};
}

std::optional<FieldKind> KindOfKey(std::string_view key) {
  if (key == kEntrySizeKey) return Decimal;
  for (const ImageMember& member : kMembers) {
    if (member.key == key) return member.kind;
  }
  return std::nullopt;
}

bool IsWellFormed(FieldKind kind, std::string_view value) {
  switch (kind) {
    case Decimal:
      return ParseDecimal(value).has_value();
    case Hex:
      return IsWellFormedHex(value);
    case Address:
      return IsWellFormedAddress(value);
    case Guid:
      return IsWellFormedGuid(value);
    case Text:
      return true;
  }
  return false;
}

bool HasFieldsOfItsSize(const std::vector<StoredField>& fields) {
  const auto sizeField = std::find_if(fields.begin(), fields.end(),
                                      [](const StoredField& f) { return f.key == kEntrySizeKey; });
  if (sizeField == fields.end()) return false;
  const auto entrySize = ParseDecimal(sizeField->value);
  if (!entrySize || !layout::LayoutFits(*entrySize)) return false;

  // Each key once, every one a member of this size; checked once per entry
  // of every file read, so without allocating.
  std::bitset<std::size(kMembers)> seen;
  bool seenSize = false;
  for (const StoredField& field : fields) {
    if (field.key == kEntrySizeKey) {
      if (std::exchange(seenSize, true)) return false;
      continue;
    }
    const auto member = std::find_if(std::begin(kMembers), std::end(kMembers),
                                     [&](const ImageMember& m) { return m.key == field.key; });
    if (member == std::end(kMembers) || !MemberPresent(*member, *entrySize)) return false;
    const auto index = static_cast<std::size_t>(member - std::begin(kMembers));
    if (seen.test(index)) return false;
    seen.set(index);
  }
  for (std::size_t i = 0; i < std::size(kMembers); ++i) {
    const bool required = kMembers[i].group != Appended && MemberPresent(kMembers[i], *entrySize);
    if (required && !seen.test(i)) return false;
  }
  return true;
}

std::optional<std::uint32_t> ParseDecimal(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string FormatHex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string FormatAddress(std::span<const std::uint8_t, 4> bytes) {
  return std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' +
         std::to_string(bytes[2]) + '.' + std::to_string(bytes[3]);
}

std::string FormatGuid(std::span<const std::uint8_t, 16> g) {
  // Data1, Data2 and Data3 are little-endian numbers; Data4 is eight bytes.
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3],
                g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13],
                g[14], g[15]);
  return text;
}

}  // namespace verolink::host
