#include "host/phonebook/entry_image_decoder.h"

#include <string>

#include "host/phonebook/host_phonebook_errors.h"
#include "phonebook/entry_layout.h"

namespace verolink::host {

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> image, std::uint32_t offset) {
  return static_cast<std::uint32_t>(image[offset]) |
         static_cast<std::uint32_t>(image[offset + 1]) << 8 |
         static_cast<std::uint32_t>(image[offset + 2]) << 16 |
         static_cast<std::uint32_t>(image[offset + 3]) << 24;
}

// A fixed-width text field: its bytes up to the first zero, or all of them
// when it is filled to its last byte.
std::string ReadText(std::span<const std::uint8_t> image, FieldPlace place) {
  const auto field = image.subspan(place.offset, place.width);
  std::string text;
  for (std::uint8_t b : field) {
    if (b == 0) break;
    text += static_cast<char>(b);
  }
  return text;
}

// The alternate numbers that follow the structure: zero-separated numbers
// ended by two zero bytes, kept as one byte string.
RasError ReadAlternateNumbers(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                              std::string& numbers) {
  const std::uint32_t offset = ReadU32(image, entry_layout::kAlternateOffset);
  if (offset == 0) return kRasSuccess;
  if (offset < entrySize || offset >= image.size()) return kErrorBufferInvalid;
  for (std::size_t i = offset; i + 1 < image.size(); ++i) {
    if (image[i] == 0 && image[i + 1] == 0) {
      numbers.assign(reinterpret_cast<const char*>(image.data()) + offset, i - offset);
      return kRasSuccess;
    }
  }
  return kErrorBufferInvalid;
}

std::string ReadValue(std::span<const std::uint8_t> image, FieldKind kind, FieldPlace place) {
  switch (kind) {
    case FieldKind::Decimal:
      return std::to_string(ReadU32(image, place.offset));
    case FieldKind::Hex:
      return FormatHex(ReadU32(image, place.offset));
    case FieldKind::Address:
      return FormatAddress(image.subspan(place.offset).first<4>());
    case FieldKind::Guid:
      return FormatGuid(image.subspan(place.offset).first<16>());
    case FieldKind::Text:
      return ReadText(image, place);
  }
  return std::string();
}

}  // namespace

RasError DecodeEntryImage(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                          std::vector<StoredField>& fields) {
  if (!entry_layout::LayoutFits(entrySize)) return kErrorInvalidSize;
  if (image.size() < entrySize) return kErrorBufferInvalid;
  if (ReadU32(image, entry_layout::kSize) != entrySize) return kErrorInvalidSize;

  std::string alternates;
  if (const RasError e = ReadAlternateNumbers(image, entrySize, alternates); e != kRasSuccess) {
    return e;
  }

  std::vector<StoredField> decoded{{std::string(kEntrySizeKey), std::to_string(entrySize)}};
  for (const ImageMember& member : ImageMembers()) {
    if (!MemberPresent(member, entrySize)) continue;
    if (member.group == FieldGroup::Appended) {
      if (!alternates.empty()) decoded.push_back({std::string(member.key), alternates});
      continue;
    }
    decoded.push_back(
        {std::string(member.key), ReadValue(image, member.kind, PlaceOf(member, entrySize))});
  }
  fields = std::move(decoded);
  return kRasSuccess;
}

}  // namespace verolink::host
