#pragma once

#include <bitset>
#include <cstddef>
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
bool GroupPresent(FieldGroup group, std::uint32_t entrySize);
FieldPlace PlaceOf(const ImageMember& member, std::uint32_t entrySize);

// Stored keys by number: the image's members by their place in ImageMembers(),
// then entrySize.
inline constexpr std::size_t kStoredKeyCount = 41;
inline constexpr std::size_t kEntrySizeKeyNumber = kStoredKeyCount - 1;

// The number of a stored key, or nullopt for a key the file does not know.
// One hash and a compare or two: the file reader asks for every line.
std::optional<std::size_t> NumberOfKey(std::string_view key);
FieldKind KindOfKeyNumber(std::size_t number);
std::string_view KeyOfNumber(std::size_t number);

// The key the writer puts after key `number` (entrySize first, then the
// members in order, alternateNumbers left out as it mostly is), or
// kStoredKeyCount after the last. A reader that expects it checks one key
// instead of looking one up.
std::size_t KeyWrittenAfter(std::size_t number);
// Whether `text` starts with the key of that number and an '='; compared by
// words, without a branch per letter.
bool StartsWithKey(std::string_view text, std::size_t number);

// The kind of a stored key (entrySize included), or nullopt for a key the
// file does not know.
std::optional<FieldKind> KindOfKey(std::string_view key);

// The keys of one section, gathered as they are read: each may come once,
// and the section is complete when it holds exactly the keys of its
// entrySize, alternateNumbers optional.
class SectionKeys {
 public:
  // False when the key came before.
  bool Add(std::size_t number);
  bool CompleteFor(std::optional<std::uint32_t> entrySize) const;

 private:
  std::bitset<kStoredKeyCount> seen_;
};

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
