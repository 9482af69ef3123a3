#include "host/phonebook/host_phonebook.h"

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
  std::optional<RasEntryRecord> found;
  const RasError e = ReadEntries([&](PhonebookEntry& entry) {
    if (!found && entry.name == entryName) found = std::move(entry.record);
  });
  if (e != kRasSuccess) return e;
  if (!found) return kErrorCannotFindPhonebookEntry;
  record = std::move(*found);
  return kRasSuccess;
}

RasError HostPhonebook::ListNames(std::vector<std::string>& names) {
  return ReadEntries([&](PhonebookEntry& entry) { names.push_back(std::move(entry.name)); });
}

RasError HostPhonebook::ReadEntries(const std::function<void(PhonebookEntry&)>& take) const {
  std::string text;
  if (const RasError e = ReadPhonebookFile(path_, text); e != kRasSuccess) return e;
  return ReadPhonebook(text, codePage_, take);
}

}  // namespace verolink::host
