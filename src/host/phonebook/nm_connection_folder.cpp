#include "host/phonebook/nm_connection_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/nm_connection_index.h"
#include "host/phonebook/nm_keyfile.h"
#include "host/system/atomic_file.h"

namespace verolink::host {

namespace {

constexpr std::string_view kEnding = ".nmconnection";
// Room for the ending and "-<uuid>" within a file name's 255 bytes.
constexpr std::size_t kMaxBaseBytes = 255 - kEnding.size() - 37;

constexpr std::array<std::string_view, 12> kIgnoredEndings = {
    "~",         ".bak",      ".orig",     ".rej",    ".swp",     ".tmp",
    ".dpkg-old", ".dpkg-new", ".dpkg-tmp", ".rpmnew", ".rpmsave", ".rpmorig"};

}  // namespace

RasError ReadKeyfile(int fd, std::string& text) {
  text.clear();
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kErrorCannotOpenPhonebook;
    if (n == 0) return kRasSuccess;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kMaxKeyfileBytes) return kErrorCorruptPhonebook;
  }
}

std::string ConnectionIdOf(std::string_view text) {
  const auto file = Keyfile::Parse(text);
  const std::string* id = file ? file->Find("connection", "id") : nullptr;
  return id == nullptr ? std::string() : *id;
}

namespace {

RasError ReadAt(int folder, const char* name, std::string& text) {
  const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? kErrorCannotFindPhonebookEntry : kErrorCannotOpenPhonebook;
  const RasError e = ReadKeyfile(fd, text);
  ::close(fd);
  return e;
}

// Cuts UTF-8 text to at most `bytes` bytes without splitting a character.
std::string_view CutAtCharacter(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

ConnectionFolder::ConnectionFolder(std::string path, std::string indexPath)
    : path_(std::move(path)), index_(std::make_unique<ConnectionIndex>(std::move(indexPath))) {}

ConnectionFolder::~ConnectionFolder() = default;

RasError ConnectionFolder::List(const std::vector<ConnectionFile>*& files) const {
  return index_->List(path_, files);
}

RasError ConnectionFolder::Read(const std::string& fileName, std::string& text) const {
  const int folder = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0)
    return errno == ENOENT ? kErrorCannotFindPhonebookEntry : kErrorCannotOpenPhonebook;
  const RasError e = ReadAt(folder, fileName.c_str(), text);
  ::close(folder);
  return e;
}

bool ConnectionFolder::Holds(const std::string& fileName) const {
  struct stat st {};
  return ::lstat((path_ + "/" + fileName).c_str(), &st) == 0;
}

RasError ConnectionFolder::Write(const std::string& fileName, std::string_view text) const {
  return ReplaceFileAtomically(path_, fileName, text, 0600) == 0 ? kRasSuccess
                                                                 : kErrorCannotWritePhonebook;
}

RasError ConnectionFolder::Remove(const std::string& fileName) const {
  if (::unlink((path_ + "/" + fileName).c_str()) == 0) return kRasSuccess;
  return errno == ENOENT ? kErrorCannotFindPhonebookEntry : kErrorCannotWritePhonebook;
}

bool NetworkManagerLoads(std::string_view name) {
  if (name.empty() || name.front() == '.') return false;
  for (const std::string_view ending : kIgnoredEndings) {
    if (name.ends_with(ending)) return false;
  }
  return true;
}

std::string ConnectionFileName(std::string_view id, std::string_view unique) {
  std::string base(CutAtCharacter(id, kMaxBaseBytes));
  for (char& c : base) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x20 || u == 0x7F) c = '_';
  }
  std::string name = base.empty() || base.front() == '.' ? "_" : "";
  name += base;
  if (!unique.empty()) {
    name += '-';
    name += unique;
  }
  name += kEnding;
  return name;
}

}  // namespace verolink::host
