#include "phonebook/read_entry_image.h"

#include <algorithm>
#include <string_view>

#include "phonebook/entry_members.h"

namespace verolink::modRASVPN {

namespace {

namespace layout = entry_layout;

// Reads members of one image into a record; the image is at least as long as
// the entry size, so every offset the layout names lies inside it.
class ImageReader {
 public:
  ImageReader(std::span<const std::uint8_t> image, RasEntryRecord& record, const CodePage& codePage)
      : image_(image), record_(record), codePage_(codePage) {}

  std::uint32_t U32(std::uint32_t offset) const {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | image_[offset + i];
    return value;
  }
  void operator()(const layout::Number& n) { record_.*n.member = U32(n.offset); }
  // A text field's bytes up to its first zero, or all of them when it is full.
  void operator()(const layout::Field& f) {
    const auto field = image_.subspan(f.offset, f.width);
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    record_.*f.member = codePage_.FromAnsi({reinterpret_cast<const char*>(field.data()),
                                            static_cast<std::size_t>(end - field.begin())});
  }
  void operator()(const layout::Address& a) {
    record_.*a.member = {image_[a.offset], image_[a.offset + 1], image_[a.offset + 2],
                         image_[a.offset + 3]};
  }
  void operator()(const layout::Guid& g) {
    std::copy_n(image_.begin() + g.offset, (record_.*g.member).size(), (record_.*g.member).begin());
  }

 private:
  std::span<const std::uint8_t> image_;
  RasEntryRecord& record_;
  const CodePage& codePage_;
};

// The alternate numbers after the structure: bytes up to the two zero bytes
// that end the list.
bool ReadAlternates(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                    std::uint32_t offset, std::string_view& bytes) {
  if (offset == 0) return true;
  if (offset < entrySize || offset >= image.size()) return false;
  for (std::size_t i = offset; i + 1 < image.size(); ++i) {
    if (image[i] == 0 && image[i + 1] == 0) {
      bytes = {reinterpret_cast<const char*>(image.data()) + offset, i - offset};
      return true;
    }
  }
  return false;
}

}  // namespace

RasError ReadEntryImage(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                        const CodePage& codePage, RasEntryRecord& record) {
  if (!layout::LayoutFits(entrySize)) return kErrorInvalidSize;
  if (image.size() < entrySize) return kErrorBufferInvalid;

  RasEntryRecord read;
  ImageReader r(image, read, codePage);
  if (r.U32(layout::kSize) != entrySize) return kErrorInvalidSize;
  std::string_view alternates;
  if (!ReadAlternates(image, entrySize, r.U32(layout::kAlternateOffset), alternates)) {
    return kErrorBufferInvalid;
  }

  read.dwSize = entrySize;
  read.AlternateNumbers = codePage.FromAnsi(alternates);
  layout::ForEachMember(entrySize, r);
  record = std::move(read);
  return kRasSuccess;
}

}  // namespace verolink::modRASVPN
