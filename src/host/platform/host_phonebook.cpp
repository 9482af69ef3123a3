#include "host/platform/host_phonebook.h"

#include <cstring>
#include <utility>

#include "host/platform/entry_image_decoder.h"
#include "host/platform/host_phonebook_errors.h"
#include "host/platform/phonebook_location.h"
#include "host/platform/zero_ended_copy.h"
#include "phonebook/entry_listing.h"

namespace verolink::host {

namespace {

using modRASVPN::kEntryNameRecordSize;

// Puts one entry into the file's text, replacing a section of the same name
// in its place.
PhonebookFileStore::Change PutSection(const PhonebookSection& section,
                                      const AnsiTextEscaping& escaping) {
  return [&section, &escaping](std::string& text) {
    PhonebookContents contents;
    if (const RasError e = ParsePhonebook(text, escaping, contents); e != kRasSuccess) return e;
    contents.Put(section);
    text = FormatPhonebook(contents, escaping);
    return kRasSuccess;
  };
}

}  // namespace

HostPhonebook::HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                             PhonebookWriteHooks hooks)
    : store_(std::move(path), hooks),
      entrySize_(entrySize),
      codePage_(codePage),
      escaping_(codePage),
      hooks_(std::move(hooks)) {}

HostPhonebook HostPhonebook::FromEnvironment(const CodePage& codePage) {
  return HostPhonebook(DefaultPhonebookPath(), EntrySizeFromEnvironment(), codePage);
}

RasError HostPhonebook::QueryEntrySize(std::uint32_t& entrySize) {
  entrySize = entrySize_;
  return kErrorBufferTooSmall;
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
    PhonebookFileStore named(ToUtf8(codePage_.FromAnsi(*phonebook)), hooks_);
    return named.Update(PutSection(section, escaping_));
  }
  return store_.Update(PutSection(section, escaping_));
}

RasError HostPhonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                    std::uint32_t& entryCount) {
  // The caller tells the record layout it expects in the first record's size.
  if (buffer == nullptr) {
    if (byteCount != 0) return kErrorBufferInvalid;
  } else {
    std::uint32_t recordSize = 0;
    if (byteCount < sizeof recordSize) return kErrorInvalidSize;
    std::memcpy(&recordSize, buffer, sizeof recordSize);
    if (recordSize != kEntryNameRecordSize) return kErrorInvalidSize;
  }

  PhonebookContents contents;
  if (const RasError e = Load(contents); e != kRasSuccess) return e;
  const auto count = static_cast<std::uint32_t>(contents.sections.size());
  const std::uint32_t needed = count * kEntryNameRecordSize;
  entryCount = count;
  if (byteCount < needed) {
    byteCount = needed;
    return kErrorBufferTooSmall;
  }
  if (needed > 0) std::memset(buffer, 0, needed);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t* record = buffer + static_cast<std::size_t>(i) * kEntryNameRecordSize;
    std::memcpy(record, &kEntryNameRecordSize, sizeof kEntryNameRecordSize);
    const std::string& name = contents.sections[i].name;  // at most 256 bytes
    std::memcpy(record + sizeof kEntryNameRecordSize, name.data(), name.size());
  }
  return kRasSuccess;
}

RasError HostPhonebook::DeleteEntry(const std::string& entryName) {
  return store_.Update([&](std::string& text) {
    PhonebookContents contents;
    if (const RasError e = ParsePhonebook(text, escaping_, contents); e != kRasSuccess) return e;
    if (!contents.Remove(entryName)) return kErrorCannotFindPhonebookEntry;
    text = FormatPhonebook(contents, escaping_);
    return kRasSuccess;
  });
}

void HostPhonebook::GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  CopyZeroEnded(codePage_.ToAnsi(PhonebookErrorText(code)), buffer, size);
}

RasError HostPhonebook::ReadEntry(const std::string& entryName, PhonebookSection& section) const {
  PhonebookContents contents;
  if (const RasError e = Load(contents); e != kRasSuccess) return e;
  const PhonebookSection* found = contents.Find(entryName);
  if (found == nullptr) return kErrorCannotFindPhonebookEntry;
  section = *found;
  return kRasSuccess;
}

RasError HostPhonebook::ShowEntry(const std::string& entryName, std::string& sectionText) const {
  PhonebookSection section;
  if (const RasError e = ReadEntry(entryName, section); e != kRasSuccess) return e;
  sectionText = FormatSection(section, escaping_);
  return kRasSuccess;
}

RasError HostPhonebook::Load(PhonebookContents& contents) const {
  std::string text;
  if (const RasError e = store_.Read(text); e != kRasSuccess) return e;
  return ParsePhonebook(text, escaping_, contents);
}

}  // namespace verolink::host
