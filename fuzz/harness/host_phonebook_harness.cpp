#include "host_phonebook_harness.h"

#include <set>
#include <string_view>
#include <vector>

#include "byte_reader.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "host/system/host_code_page.h"
#include "phonebook/read_entry_image.h"
#include "phonebook/set_ras_entry.h"

namespace verolink::fuzzing {

namespace {

using host::PhonebookEntry;

const host::HostCodePage& CodePage() {
  static const host::HostCodePage codePage(host::kDefaultCodePageName);
  return codePage;
}

// What entries that read promise: names the file can hold, each once, kept
// by a write and a read, and the same entries on every trip after the first
// (GLib drops form feeds and vertical tabs at the ends of a text's value).
std::string CheckEntries(const std::vector<PhonebookEntry>& entries) {
  std::set<std::string_view> names;
  for (const PhonebookEntry& entry : entries) {
    if (!host::IsStorableEntryName(entry.name, CodePage())) return "a name the file cannot hold";
    if (!names.insert(entry.name).second) return "two entries of one name";
  }
  std::vector<PhonebookEntry> once;
  if (host::ParsePhonebook(host::FormatPhonebook(entries, CodePage()), CodePage(), once) !=
      kRasSuccess) {
    return "the written file does not read";
  }
  if (once.size() != entries.size()) return "the written file lost entries";
  for (std::size_t i = 0; i < once.size(); ++i) {
    if (once[i].name != entries[i].name) return "the written file renamed an entry";
    if (once[i].record.dwSize != entries[i].record.dwSize) return "the written file resized one";
  }
  const std::string written = host::FormatPhonebook(once, CodePage());
  std::vector<PhonebookEntry> again;
  if (host::ParsePhonebook(written, CodePage(), again) != kRasSuccess) {
    return "the rewritten file does not read";
  }
  if (again != once) return "the written file reads differently";
  if (host::FormatPhonebook(again, CodePage()) != written) return "writing is not stable";
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
  std::vector<PhonebookEntry> entries{{"untouched", {}}};
  const RasError result = host::ParsePhonebook(text, CodePage(), entries);
  if (result != kRasSuccess) {
    if (result != host::kErrorCorruptPhonebook) return "a refused file is not reported damaged";
    if (entries.size() != 1 || entries[0].name != "untouched") return "a damaged file left entries";
    return {};
  }
  return CheckEntries(entries);
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

  RasEntryRecord untouched;
  untouched.szDnsSuffix = u"untouched";
  RasEntryRecord record = untouched;
  const RasError result = modRASVPN::ReadEntryImage(image, entrySize, CodePage(), record);
  if (result != kRasSuccess) {
    if (result != kErrorInvalidSize && result != host::kErrorBufferInvalid) {
      return "an unexpected error number";
    }
    if (record != untouched) return "a refused image changed the record";
    return {};
  }
  if (image.size() < entrySize) return "a short image read";
  if (record.dwSize != entrySize) return "the record does not tell its size";
  // Written out and read back, the record gives the same image again.
  const auto built = modRASVPN::BuildEntryImage(record, entrySize, CodePage());
  RasEntryRecord again;
  if (modRASVPN::ReadEntryImage(built, entrySize, CodePage(), again) != kRasSuccess) {
    return "the record's own image does not read";
  }
  if (modRASVPN::BuildEntryImage(again, entrySize, CodePage()) != built) {
    return "the image changes on a second trip";
  }
  return CheckEntries({{"Pelkar INTERNET", record}});
}

}  // namespace verolink::fuzzing
