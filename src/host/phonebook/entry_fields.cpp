#include "host/phonebook/entry_fields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
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

static_assert(std::size(kMembers) + 1 == kStoredKeyCount);

constexpr std::string_view KeyAt(std::size_t number) {
  return number == kEntrySizeKeyNumber ? kEntrySizeKey : kMembers[number].key;
}

// Every stored key by a cheap hash of its length and three of its letters,
// colliding ones in the slots that follow.
constexpr std::size_t kKeySlots = 128;

constexpr std::size_t KeySlot(std::string_view key) {
  const auto at = [&](std::size_t i) { return static_cast<std::size_t>(key[i]) & 0xFF; };
  return (key.size() * 31 + at(0) * 7 + at(key.size() / 2) * 3 + at(key.size() - 1)) % kKeySlots;
}

constexpr auto kKeyTable = [] {
  std::array<std::int8_t, kKeySlots> table{};
  table.fill(-1);
  for (std::size_t number = 0; number < kStoredKeyCount; ++number) {
    std::size_t slot = KeySlot(KeyAt(number));
    while (table[slot] >= 0) slot = (slot + 1) % kKeySlots;
    table[slot] = static_cast<std::int8_t>(number);
  }
  return table;
}();

// Each key with its '=', padded with zeros to whole words, and the mask of
// its bytes.
constexpr std::size_t kPatternWords = 4;
constexpr std::size_t kPatternBytes = kPatternWords * sizeof(std::uint64_t);

static_assert([] {
  for (std::size_t number = 0; number < kStoredKeyCount; ++number) {
    if (KeyAt(number).size() + 1 > kPatternBytes) return false;
  }
  return true;
}());

struct KeyPattern {
  std::array<std::uint64_t, kPatternWords> bytes{};
  std::array<std::uint64_t, kPatternWords> mask{};
};

// The words are laid out as the reader loads them from the text, whatever
// the machine's byte order.
constexpr auto kKeyPatterns = [] {
  using Bytes = std::array<unsigned char, kPatternBytes>;
  using Words = std::array<std::uint64_t, kPatternWords>;
  std::array<KeyPattern, kStoredKeyCount> patterns{};
  for (std::size_t number = 0; number < kStoredKeyCount; ++number) {
    const std::string_view key = KeyAt(number);
    Bytes bytes{};
    Bytes mask{};
    for (std::size_t i = 0; i <= key.size(); ++i) {
      bytes[i] = static_cast<unsigned char>(i < key.size() ? key[i] : '=');
      mask[i] = 0xFF;
    }
    patterns[number] = {std::bit_cast<Words>(bytes), std::bit_cast<Words>(mask)};
  }
  return patterns;
}();

using KeySet = std::bitset<kStoredKeyCount>;

// The members of each group, by key number, as bits.
constexpr auto kKeysOf = [] {
  std::array<std::uint64_t, static_cast<int>(Appended) + 1> sets{};
  for (std::size_t i = 0; i < std::size(kMembers); ++i) {
    sets[static_cast<int>(kMembers[i].group)] |= std::uint64_t{1} << i;
  }
  return sets;
}();
static_assert(kStoredKeyCount <= 64);

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsWellFormedHex(std::string_view v) {
  if (v.size() < 3 || v.size() > 10 || v[0] != '0' || (v[1] != 'x' && v[1] != 'X')) return false;
  return std::all_of(v.begin() + 2, v.end(), IsHexDigit);
}

bool IsWellFormedAddress(std::string_view v) {
  // Four numbers up to 255 of one to three digits, between them dots.
  std::size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (i == v.size() || v[i++] != '.')) return false;
    const std::size_t start = i;
    unsigned number = 0;
    while (i < v.size() && i - start < 4 && v[i] >= '0' && v[i] <= '9') {
      number = number * 10 + static_cast<unsigned>(v[i++] - '0');
    }
    if (i == start || i - start > 3 || number > 255) return false;
  }
  return i == v.size();
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
  return GroupPresent(member.group, entrySize);
}

bool GroupPresent(FieldGroup group, std::uint32_t entrySize) {
  switch (group) {
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

std::optional<std::size_t> NumberOfKey(std::string_view key) {
  if (key.empty()) return std::nullopt;
  for (std::size_t slot = KeySlot(key); kKeyTable[slot] >= 0; slot = (slot + 1) % kKeySlots) {
    const auto number = static_cast<std::size_t>(kKeyTable[slot]);
    if (KeyAt(number) == key) return number;
  }
  return std::nullopt;
}

std::string_view KeyOfNumber(std::size_t number) { return KeyAt(number); }

std::size_t KeyWrittenAfter(std::size_t number) {
  std::size_t next = number == kEntrySizeKeyNumber ? 0 : number + 1;
  while (next < std::size(kMembers) && kMembers[next].group == Appended) ++next;
  return next < std::size(kMembers) ? next : kStoredKeyCount;
}

bool StartsWithKey(std::string_view text, std::size_t number) {
  const std::string_view key = KeyAt(number);
  if (text.size() < kPatternBytes) {
    return text.size() > key.size() && text.starts_with(key) && text[key.size()] == '=';
  }
  const KeyPattern& pattern = kKeyPatterns[number];
  std::uint64_t differ = 0;
  for (std::size_t w = 0; w < kPatternWords; ++w) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + w * sizeof word, sizeof word);
    differ |= (word & pattern.mask[w]) ^ pattern.bytes[w];
  }
  return differ == 0;
}

FieldKind KindOfKeyNumber(std::size_t number) {
  return number == kEntrySizeKeyNumber ? Decimal : kMembers[number].kind;
}

std::optional<FieldKind> KindOfKey(std::string_view key) {
  const auto number = NumberOfKey(key);
  if (!number) return std::nullopt;
  return KindOfKeyNumber(*number);
}

bool SectionKeys::Add(std::size_t number) {
  if (seen_.test(number)) return false;
  seen_.set(number);
  return true;
}

bool SectionKeys::CompleteFor(std::optional<std::uint32_t> entrySize) const {
  if (!entrySize || !layout::LayoutFits(*entrySize) || !seen_.test(kEntrySizeKeyNumber)) {
    return false;
  }
  KeySet allowed;
  allowed.set(kEntrySizeKeyNumber);
  for (const FieldGroup group : {Always, Dial, Type, Options2, Appended}) {
    if (GroupPresent(group, *entrySize)) allowed |= KeySet(kKeysOf[static_cast<int>(group)]);
  }
  const KeySet required = allowed & ~KeySet(kKeysOf[static_cast<int>(Appended)]);
  return (seen_ & ~allowed).none() && (required & ~seen_).none();
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
  SectionKeys keys;
  std::optional<std::uint32_t> entrySize;
  for (const StoredField& field : fields) {
    const auto number = NumberOfKey(field.key);
    if (!number || !keys.Add(*number)) return false;
    if (*number == kEntrySizeKeyNumber) entrySize = ParseDecimal(field.value);
  }
  return keys.CompleteFor(entrySize);
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
