#include "host/phonebook/nm_phonebook.h"

#include <utility>

#include "host/phonebook/entry_name_records.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/nm_keyfile.h"
#include "phonebook/read_entry_image.h"

namespace verolink::host {

namespace {

std::string LoginIn(const std::string& text) {
  const auto file = Keyfile::Parse(text);
  const std::string* login = file ? file->Find("pppoe", "username") : nullptr;
  return login == nullptr ? std::string() : *login;
}

}  // namespace

NmPhonebook::NmPhonebook(std::string folder, std::uint32_t entrySize, const CodePage& codePage,
                         LoginPrompt& prompt, std::function<void()> reload, std::string indexPath)
    : HostPhonebookBase(entrySize, codePage),
      folder_(std::move(folder), std::move(indexPath)),
      prompt_(prompt),
      reload_(std::move(reload)) {}

RasError NmPhonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                         const std::string& entryName,
                                         std::span<const std::uint8_t> image,
                                         std::uint32_t entrySize) {
  if (!IsValidEntryName(entryName)) return kErrorWrongInfoSpecified;
  RasEntryRecord entry;
  if (const RasError e = modRASVPN::ReadEntryImage(image, entrySize, codePage_, entry);
      e != kRasSuccess) {
    return e;
  }
  if (phonebook && !phonebook->empty()) {
    // The name comes in the system code page; the file system's names are UTF-8.
    return Write(ConnectionFolder(ToUtf8(codePage_.FromAnsi(*phonebook))), entryName, entry);
  }
  return Write(folder_, entryName, entry);
}

RasError NmPhonebook::Write(const ConnectionFolder& folder, const std::string& entryName,
                            const RasEntryRecord& entry) {
  std::vector<std::string> existing;
  if (const RasError e = FilesOf(folder, entryName, existing); e != kRasSuccess) return e;

  PppoeConnection connection = ConnectionFromEntry(entry);
  connection.id = ToUtf8(codePage_.FromAnsi(entryName));
  connection.uuid = NewUuid();

  std::string suggested;
  if (!existing.empty()) {
    std::string text;
    if (folder.Read(existing.front(), text) == kRasSuccess) suggested = LoginIn(text);
  } else if (const auto kept = deletedLogins_.find(entryName); kept != deletedLogins_.end()) {
    suggested = kept->second;
  }
  const std::optional<std::string> login = prompt_.AskLogin(connection.id, suggested);
  if (!login || login->empty()) return kErrorCancelled;
  connection.username = *login;

  // The first file of that name is written over (NetworkManager keeps the
  // connection under the same path) if it still holds it after the
  // question, which may stay open for a while; else a new file named after
  // the connection.
  std::string fileName;
  if (!existing.empty() && HoldsEntry(folder, existing.front(), entryName)) {
    fileName = existing.front();
  } else {
    fileName = ConnectionFileName(connection.id);
    // Taken by a file of another connection (or one that is damaged).
    if (folder.Holds(fileName)) fileName = ConnectionFileName(connection.id, connection.uuid);
  }

  const RasError e = folder.Write(fileName, ConnectionKeyfile(connection).Format());
  if (e == kRasSuccess && reload_) reload_();
  return e;
}

RasError NmPhonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                  std::uint32_t& entryCount) {
  if (const RasError e = CheckListingBuffer(buffer, byteCount); e != kRasSuccess) return e;
  const std::vector<ConnectionFile>* files = nullptr;
  if (const RasError e = folder_.List(files); e != kRasSuccess) return e;
  std::vector<std::string> names;
  names.reserve(files->size());
  for (const ConnectionFile& file : *files) {
    if (file.id.empty()) continue;
    std::string name = AnsiName(file.id);
    if (IsValidEntryName(name)) names.push_back(std::move(name));
  }
  return FillEntryNameRecords(
      names.size(), [&](std::size_t i) { return std::string_view(names[i]); }, buffer, byteCount,
      entryCount);
}

RasError NmPhonebook::DeleteEntry(const std::string& entryName) {
  std::vector<std::string> fileNames;
  if (const RasError e = FilesOf(folder_, entryName, fileNames); e != kRasSuccess) return e;
  if (fileNames.empty()) return kErrorCannotFindPhonebookEntry;
  RasError result = kRasSuccess;
  bool removed = false;
  for (const std::string& fileName : fileNames) {
    std::string text;
    if (folder_.Read(fileName, text) == kRasSuccess) {
      if (std::string login = LoginIn(text); !login.empty()) deletedLogins_[entryName] = login;
    }
    result = folder_.Remove(fileName);
    if (result != kRasSuccess) break;
    removed = true;
  }
  if (removed && reload_) reload_();
  return result;
}

bool NmPhonebook::HoldsEntry(const ConnectionFolder& folder, const std::string& fileName,
                             const std::string& entryName) const {
  std::string text;
  return folder.Read(fileName, text) == kRasSuccess && AnsiName(ConnectionIdOf(text)) == entryName;
}

std::string NmPhonebook::AnsiName(const std::string& id) const {
  // ASCII reads the same in UTF-8 and in every code page.
  for (const char c : id) {
    if (static_cast<unsigned char>(c) >= 0x80) return codePage_.ToAnsi(FromUtf8(id));
  }
  return id;
}

RasError NmPhonebook::ReadEntry(const std::string& entryName, PppoeConnection& connection,
                                std::string& fileName) const {
  std::vector<std::string> fileNames;
  if (const RasError e = FilesOf(folder_, entryName, fileNames); e != kRasSuccess) return e;
  if (fileNames.empty()) return kErrorCannotFindPhonebookEntry;
  std::string text;
  if (const RasError e = folder_.Read(fileNames.front(), text); e != kRasSuccess) return e;
  const auto keyfile = Keyfile::Parse(text);
  const auto read = keyfile ? ReadConnection(*keyfile) : std::nullopt;
  if (!read) return kErrorCorruptPhonebook;
  connection = *read;
  fileName = fileNames.front();
  return kRasSuccess;
}

RasError NmPhonebook::FilesOf(const ConnectionFolder& folder, const std::string& entryName,
                              std::vector<std::string>& fileNames) const {
  const std::vector<ConnectionFile>* files = nullptr;
  if (const RasError e = folder.List(files); e != kRasSuccess) return e;
  fileNames.clear();
  for (const ConnectionFile& file : *files) {
    if (file.id.empty() || AnsiName(file.id) != entryName) continue;
    if (HoldsEntry(folder, file.fileName, entryName)) fileNames.push_back(file.fileName);
  }
  return kRasSuccess;
}

}  // namespace verolink::host
