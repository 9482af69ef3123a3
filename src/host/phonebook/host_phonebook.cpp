#include "host/phonebook/host_phonebook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "host/phonebook/phonebook_location.h"
#include "phonebook/read_entry_image.h"

namespace verolink::host {

HostPhonebook::HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                             PhonebookWriteHooks hooks)
    : HostPhonebookBase(entrySize, codePage), path_(std::move(path)), hooks_(std::move(hooks)) {}

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
  const auto put = [&](const std::string& current, std::string& next) {
    return PutEntry(current, entry, codePage_, next);
  };
  // A named phonebook comes in the system code page; the file system's names are UTF-8.
  const bool named = phonebook && !phonebook->empty();
  return UpdatePhonebookFile(named ? ToUtf8(codePage_.FromAnsi(*phonebook)) : path_, put, hooks_);
}

RasError HostPhonebook::DeleteEntry(const std::string& entryName) {
  return UpdatePhonebookFile(
      path_,
      [&](const std::string& current, std::string& next) {
        return RemoveEntry(current, entryName, codePage_, next);
      },
      hooks_);
}

RasError HostPhonebook::ReadEntry(const std::string& entryName, RasEntryRecord& record) const {
  std::vector<PhonebookEntry> entries;
  if (const RasError e = ReadEntries(entries); e != kRasSuccess) return e;
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const PhonebookEntry& e) { return e.name == entryName; });
  if (found == entries.end()) return kErrorCannotFindPhonebookEntry;
  record = found->record;
  return kRasSuccess;
}

RasError HostPhonebook::ListNames(std::vector<std::string>& names) {
  std::string text;
  if (const RasError e = ReadPhonebookFile(path_, text); e != kRasSuccess) return e;
  return ReadPhonebook(text, codePage_,
                       [&](PhonebookEntry& entry) { names.push_back(std::move(entry.name)); });
}

RasError HostPhonebook::ReadEntries(std::vector<PhonebookEntry>& entries) const {
  std::string text;
  if (const RasError e = ReadPhonebookFile(path_, text); e != kRasSuccess) return e;
  return ParsePhonebook(text, codePage_, entries);
}

}  // namespace verolink::host
