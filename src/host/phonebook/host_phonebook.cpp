#include "host/phonebook/host_phonebook.h"

#include <cstring>
#include <utility>

#include "host/phonebook/entry_image_decoder.h"
#include "host/phonebook/entry_name_records.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_location.h"

namespace verolink::host {

HostPhonebook::HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                             PhonebookWriteHooks hooks)
    : HostPhonebookBase(entrySize, codePage),
      hooks_(hooks),
      file_(std::move(path), codePage, std::move(hooks)) {}

HostPhonebook HostPhonebook::FromEnvironment(const CodePage& codePage) {
  return HostPhonebook(DefaultPhonebookPath(), EntrySizeFromEnvironment(), codePage);
}

RasError HostPhonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                           const std::string& entryName,
                                           std::span<const std::uint8_t> image,
                                           std::uint32_t entrySize) {
  if (!IsValidEntryName(entryName)) return kErrorWrongInfoSpecified;
  PhonebookSection section{entryName, {}};
  if (const RasError e = DecodeEntryImage(image, entrySize, section.fields); e != kRasSuccess) {
    return e;
  }
  if (phonebook && !phonebook->empty()) {
    // The name comes in the system code page; the file system's names are UTF-8.
    CachedPhonebookFile named(ToUtf8(codePage_.FromAnsi(*phonebook)), codePage_, hooks_);
    return named.Put(section);
  }
  return file_.Put(section);
}

RasError HostPhonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                    std::uint32_t& entryCount) {
  if (const RasError e = CheckListingBuffer(buffer, byteCount); e != kRasSuccess) return e;
  const PhonebookFileText* text = nullptr;
  if (const RasError e = file_.Read(text); e != kRasSuccess) return e;
  const std::vector<IndexedSection>& sections = text->sections();
  // Names of at most 256 bytes: the file holds no others.
  return FillEntryNameRecords(
      sections.size(), [&](std::size_t i) { return std::string_view(sections[i].name); }, buffer,
      byteCount, entryCount);
}

RasError HostPhonebook::DeleteEntry(const std::string& entryName) {
  return file_.Remove(entryName);
}

RasError HostPhonebook::ReadEntry(const std::string& entryName, PhonebookSection& section) const {
  const PhonebookFileText* text = nullptr;
  if (const RasError e = file_.Read(text); e != kRasSuccess) return e;
  const IndexedSection* found = text->Find(entryName);
  if (found == nullptr) return kErrorCannotFindPhonebookEntry;
  section = text->SectionOf(*found, file_.escaping());
  return kRasSuccess;
}

RasError HostPhonebook::ShowEntry(const std::string& entryName, std::string& sectionText) const {
  PhonebookSection section;
  if (const RasError e = ReadEntry(entryName, section); e != kRasSuccess) return e;
  sectionText = FormatSection(section, file_.escaping());
  return kRasSuccess;
}

}  // namespace verolink::host
