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

// Lays members of one record into its zero-filled image; ForEachMember hands
// it each member the size holds.
class ImageWriter {
 public:
  ImageWriter(std::vector<std::uint8_t>& image, const R& record, const CodePage& codePage)
      : image_(image), record_(record), codePage_(codePage) {}

  void PutU32(std::uint32_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  void operator()(const layout::Number& n) { PutU32(n.offset, record_.*n.member); }
  void operator()(const layout::Field& f) {
    CopyStringToBuffer(image_.data() + f.offset, record_.*f.member, f.width, codePage_);
  }
  void operator()(const layout::Address& a) {
    const RasIpAddress& ip = record_.*a.member;
    const std::uint8_t bytes[] = {ip.a, ip.b, ip.c, ip.d};
    std::copy(std::begin(bytes), std::end(bytes), image_.begin() + a.offset);
  }
  void operator()(const layout::Guid& g) {
    std::copy((record_.*g.member).begin(), (record_.*g.member).end(), image_.begin() + g.offset);
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
  layout::ForEachMember(size, w);
  // The alternate numbers follow the structure; the two zero bytes after them
  // end the list.
  if (!alternates.empty()) {
    std::copy(alternates.begin(), alternates.end(), image.begin() + size);
    w.PutU32(layout::kAlternateOffset, size);
  }
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
