#include "host_phonebook_harness.h"

#include <set>
#include <string_view>

#include "byte_reader.h"
#include "host/phonebook/ansi_text_escaping.h"
#include "host/phonebook/entry_image_decoder.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_file_format.h"
#include "host/system/host_code_page.h"

namespace verolink::fuzzing {

namespace {

using host::PhonebookContents;
using host::PhonebookSection;

const host::AnsiTextEscaping& Escaping() {
  static const host::HostCodePage codePage(host::kDefaultCodePageName);
  static const host::AnsiTextEscaping escaping(codePage);
  return escaping;
}

bool SameContents(const PhonebookContents& a, const PhonebookContents& b) {
  if (a.sections.size() != b.sections.size()) return false;
  for (std::size_t i = 0; i < a.sections.size(); ++i) {
    if (a.sections[i].name != b.sections[i].name) return false;
    if (a.sections[i].fields != b.sections[i].fields) return false;
  }
  return true;
}

// What a file that reads promises: good names, complete sections, and the
// same contents after a write and a read.
std::string CheckContents(const PhonebookContents& contents) {
  std::set<std::string_view> names;
  for (const PhonebookSection& section : contents.sections) {
    if (!host::IsValidEntryName(section.name)) return "an entry name the phonebook refuses";
    if (!names.insert(section.name).second) return "two entries of one name";
    if (!host::HasFieldsOfItsSize(section.fields)) return "an entry without its fields";
  }
  const std::string written = host::FormatPhonebook(contents, Escaping());
  PhonebookContents again;
  if (host::ParsePhonebook(written, Escaping(), again) != kRasSuccess) {
    return "the written file does not read";
  }
  if (!SameContents(contents, again)) return "the written file reads differently";
  if (host::FormatPhonebook(again, Escaping()) != written) return "writing is not stable";
  return {};
}

constexpr std::uint32_t kPlatformSizes[] = {1672, 1768, 1796, 2088, 2884};

std::uint32_t ChooseEntrySize(ByteReader& input) {
  const std::uint8_t kind = input.U8();
  if (kind % 8 < 5) return kPlatformSizes[kind % 8];
  if (kind % 8 == 5) return 2088 + input.U16();  // a later, larger layout
  return input.U32();
}

}  // namespace

std::string RunPhonebookFile(std::span<const std::uint8_t> data) {
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  PhonebookContents contents;
  const RasError result = host::ParsePhonebook(text, Escaping(), contents);
  if (result != kRasSuccess) {
    if (result != host::kErrorCorruptPhonebook) return "a refused file is not reported damaged";
    if (!contents.sections.empty()) return "a damaged file left contents";
    return {};
  }
  return CheckContents(contents);
}

std::string RunImageDecoder(std::span<const std::uint8_t> data) {
  ByteReader input(data);
  const std::uint32_t entrySize = ChooseEntrySize(input);
  const bool stampSize = input.U8() % 2 == 0;  // the image's size field agrees with the size
  const auto rest = input.Rest();
  std::vector<std::uint8_t> image(rest.begin(), rest.end());
  if (stampSize && image.size() >= 4) {
    for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(entrySize >> (8 * i));
  }

  std::vector<host::StoredField> fields{{"untouched", "yes"}};
  const RasError result = host::DecodeEntryImage(image, entrySize, fields);
  if (result != kRasSuccess) {
    if (result != host::kErrorInvalidSize && result != host::kErrorBufferInvalid) {
      return "an unexpected error number";
    }
    if (fields.size() != 1 || fields[0].key != "untouched") return "a refused image left fields";
    return {};
  }
  if (image.size() < entrySize) return "a short image decoded";
  PhonebookContents contents;
  contents.sections.push_back({"Pelkar INTERNET", fields});
  return CheckContents(contents);
}

}  // namespace verolink::fuzzing
