#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verolink::host {

// How a stored member's value is written in the phonebook file.
enum class FieldKind {
  Decimal,  // 32-bit number in decimal
  Hex,      // 32-bit flags as 0x followed by eight hex digits
  Address,  // an IP address as a dotted quad
  Guid,     // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  Text,     // single-byte text, escaped in the file
};

// Which entry sizes hold a member.
enum class FieldGroup {
  Always,
  Dial,      // above 1768
  Type,      // above 1796
  Options2,  // above 2088
  Appended,  // the alternate numbers after the structure, when there are any
};

// Members whose place moves with the device name's width.
enum class DevicePart { None, Name, X25PadType, X25Address, X25Facilities, X25UserData, Channels };

// One member of the entry image as the phonebook file stores it.
struct ImageMember {
  std::string_view key;
  FieldKind kind;
  FieldGroup group;
  std::uint32_t offset;  // for DevicePart::None
  std::uint32_t width;   // bytes in the image; for Channels and Name taken from the layout
  DevicePart device = DevicePart::None;
};

struct FieldPlace {
  std::uint32_t offset;
  std::uint32_t width;
};

// One stored member: a text member's value is its single-byte text, any other
// value is written as the file shows it.
struct StoredField {
  std::string key;
  std::string value;
  bool operator==(const StoredField&) const = default;
};

inline constexpr std::string_view kEntrySizeKey = "entrySize";
inline constexpr std::string_view kAlternateNumbersKey = "alternateNumbers";

// The image's members in the order the file lists them, after entrySize.
std::span<const ImageMember> ImageMembers();
bool MemberPresent(const ImageMember& member, std::uint32_t entrySize);
FieldPlace PlaceOf(const ImageMember& member, std::uint32_t entrySize);

// The kind of a stored key (entrySize included), or nullopt for a key the
// file does not know.
std::optional<FieldKind> KindOfKey(std::string_view key);

// Whether a value written in the file is well formed for its (non-text) kind.
bool IsWellFormed(FieldKind kind, std::string_view value);

// Whether a section's fields are exactly those an entry of its entrySize
// stores: each present once, alternateNumbers optional, nothing else.
bool HasFieldsOfItsSize(const std::vector<StoredField>& fields);

std::optional<std::uint32_t> ParseDecimal(std::string_view text);
std::string FormatHex(std::uint32_t value);
std::string FormatAddress(std::span<const std::uint8_t, 4> bytes);
std::string FormatGuid(std::span<const std::uint8_t, 16> bytes);

}  // namespace verolink::host
