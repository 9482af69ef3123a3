#include "host/phonebook/host_phonebook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "host/phonebook/entry_name_records.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "host/phonebook/phonebook_location.h"
#include "phonebook/read_entry_image.h"

namespace verolink::host {

namespace {

using Entries = std::vector<PhonebookEntry>;

Entries::iterator Find(Entries& entries, const std::string& name) {
  return std::find_if(entries.begin(), entries.end(),
                      [&](const PhonebookEntry& e) { return e.name == name; });
}

// Reads the file's entries, changes them with `change` and writes them back.
RasError ChangeEntries(PhonebookFile& file, const CodePage& codePage,
                       const std::function<RasError(Entries&)>& change) {
  return file.Update([&](const std::string& current, std::string& next) {
    Entries entries;
    if (const RasError e = ParsePhonebook(current, codePage, entries); e != kRasSuccess) return e;
    if (const RasError e = change(entries); e != kRasSuccess) return e;
    next = FormatPhonebook(entries, codePage);
    return kRasSuccess;
  });
}

}  // namespace

HostPhonebook::HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                             PhonebookWriteHooks hooks)
    : HostPhonebookBase(entrySize, codePage), hooks_(hooks), file_(std::move(path), hooks) {}

HostPhonebook HostPhonebook::FromEnvironment(const CodePage& codePage) {
  return HostPhonebook(DefaultPhonebookPath(), EntrySizeFromEnvironment(), codePage);
}

RasError HostPhonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                           const std::string& entryName,
                                           std::span<const std::uint8_t> image,
                                           std::uint32_t entrySize) {
  if (!IsStorableEntryName(entryName, codePage_)) return kErrorWrongInfoSpecified;
  PhonebookEntry entry{entryName, {}};
  if (const RasError e = modRASVPN::ReadEntryImage(image, entrySize, codePage_, entry.record);
      e != kRasSuccess) {
    return e;
  }
  // A copy each time: the file may hand over its entries more than once.
  auto put = [&](Entries& entries) {
    if (const auto found = Find(entries, entryName); found != entries.end()) {
      *found = entry;
    } else {
      entries.push_back(entry);
    }
    return kRasSuccess;
  };
  if (phonebook && !phonebook->empty()) {
    // The name comes in the system code page; the file system's names are UTF-8.
    PhonebookFile named(ToUtf8(codePage_.FromAnsi(*phonebook)), hooks_);
    return ChangeEntries(named, codePage_, put);
  }
  return ChangeEntries(file_, codePage_, put);
}

RasError HostPhonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                    std::uint32_t& entryCount) {
  if (const RasError e = CheckListingBuffer(buffer, byteCount); e != kRasSuccess) return e;
  Entries entries;
  if (const RasError e = ReadEntries(entries); e != kRasSuccess) return e;
  return FillEntryNameRecords(
      entries.size(), [&](std::size_t i) { return std::string_view(entries[i].name); }, buffer,
      byteCount, entryCount);
}

RasError HostPhonebook::DeleteEntry(const std::string& entryName) {
  return ChangeEntries(file_, codePage_, [&](Entries& entries) {
    const auto found = Find(entries, entryName);
    if (found == entries.end()) return kErrorCannotFindPhonebookEntry;
    entries.erase(found);
    return kRasSuccess;
  });
}

RasError HostPhonebook::ReadEntry(const std::string& entryName, RasEntryRecord& record) const {
  Entries entries;
  if (const RasError e = ReadEntries(entries); e != kRasSuccess) return e;
  const auto found = Find(entries, entryName);
  if (found == entries.end()) return kErrorCannotFindPhonebookEntry;
  record = found->record;
  return kRasSuccess;
}

RasError HostPhonebook::ReadEntries(std::vector<PhonebookEntry>& entries) const {
  std::string text;
  if (const RasError e = file_.Read(text); e != kRasSuccess) return e;
  return ParsePhonebook(text, codePage_, entries);
}

}  // namespace verolink::host
