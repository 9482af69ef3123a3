#include "phonebook/set_ras_entry.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <string>

#include "phonebook/entry_members.h"

namespace verolink::modRASVPN {

namespace {

namespace layout = entry_layout;
using R = RasEntryRecord;
using layout::Address;
using layout::Field;
using layout::Number;

// Lays members of one record into its zero-filled image.
class ImageWriter {
 public:
  ImageWriter(std::vector<std::uint8_t>& image, const R& record, const CodePage& codePage)
      : image_(image), record_(record), codePage_(codePage) {}

  void PutU32(std::uint32_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  void PutText(std::uint32_t offset, std::uint32_t width, TextView text) {
    CopyStringToBuffer(image_.data() + offset, text, width, codePage_);
  }
  void Put(std::span<const Number> numbers) {
    for (const Number& n : numbers) PutU32(n.offset, record_.*n.member);
  }
  void Put(std::span<const Field> fields) {
    for (const Field& f : fields) PutText(f.offset, f.width, record_.*f.member);
  }
  void Put(std::span<const Address> addresses) {
    for (const Address& a : addresses) {
      const RasIpAddress& ip = record_.*a.member;
      const std::uint8_t bytes[] = {ip.a, ip.b, ip.c, ip.d};
      std::copy(std::begin(bytes), std::end(bytes), image_.begin() + a.offset);
    }
  }

 private:
  std::vector<std::uint8_t>& image_;
  const R& record_;
  const CodePage& codePage_;
};

}  // namespace

void CopyStringToBuffer(std::uint8_t* destination, TextView text, std::size_t maxBytes,
                        const CodePage& codePage) {
  if (text.empty() || maxBytes == 0) return;
  const std::string ansi = codePage.ToAnsi(text);
  // The field's last byte stays free for the terminating zero, which the
  // zero-filled image supplies; a character that does not fit whole is left
  // out rather than split.
  const std::size_t n = codePage.WholeCharacterBytes(ansi, maxBytes - 1);
  std::memcpy(destination, ansi.data(), n);
}

std::vector<std::uint8_t> BuildEntryImage(const RasEntryRecord& record, std::uint32_t size,
                                          const CodePage& codePage) {
  // A size whose layout cannot hold its own members has no image.
  if (!layout::LayoutFits(size)) return {};

  const std::string alternates = codePage.ToAnsi(record.AlternateNumbers);
  std::vector<std::uint8_t> image(size + alternates.size() + 2, 0);
  ImageWriter w(image, record, codePage);

  w.PutU32(layout::kSize, size);
  w.Put(layout::kFixedNumbers);
  w.Put(layout::kAddresses);
  w.Put(layout::kFixedTexts);
  // The alternate numbers follow the structure; the two zero bytes after them
  // end the list.
  if (!alternates.empty()) {
    std::copy(alternates.begin(), alternates.end(), image.begin() + size);
    w.PutU32(layout::kAlternateOffset, size);
  }

  w.Put(layout::DeviceTextsFor(size).fields);
  w.PutU32(layout::DeviceBlockFor(size).channels, record.dwChannels);

  if (!layout::HasDialMembers(size)) return image;
  w.Put(layout::kDialNumbers);

  if (!layout::HasTypeMembers(size)) return image;
  w.Put(layout::kTypeNumbers);
  std::copy(record.guidId.begin(), record.guidId.end(), image.begin() + layout::kGuidId);
  w.Put(layout::kTypeTexts);

  if (!layout::HasOptions2Members(size)) return image;
  w.Put(layout::kOptions2Numbers);
  w.Put(layout::kOptions2Texts);
  return image;
}

RasError SetRasEntry(Platform& platform, const Text& entryName, const RasEntryRecord& record,
                     const Text& phonebook) {
  std::uint32_t size = 0;
  const RasError query = platform.phonebook.QueryEntrySize(size);
  // A query that "succeeds" tells no size at all; like a size that cannot
  // hold the structure's members, it must not pass for a written entry.
  if (query == kRasSuccess) return kErrorInvalidSize;
  if (query != kErrorBufferTooSmall) return query;
  if (!entry_layout::LayoutFits(size)) return kErrorInvalidSize;

  const std::vector<std::uint8_t> image = BuildEntryImage(record, size, platform.codePage);
  std::optional<std::string> book;
  if (!phonebook.empty()) book = platform.codePage.ToAnsi(phonebook);
  return platform.phonebook.SetEntryProperties(book, platform.codePage.ToAnsi(entryName), image,
                                               size);
}

}  // namespace verolink::modRASVPN
