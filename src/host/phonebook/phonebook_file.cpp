#include "host/phonebook/phonebook_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_location.h"
#include "host/system/atomic_file.h"

namespace verolink::host {

namespace {

constexpr char kTemporaryMark[] = ".tmp-";

// Closes a file descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool Lock(const Descriptor& fd, int operation) {
  while (flock(fd.get(), operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The file's whole text; a missing file is empty.
RasError ReadWhole(const std::string& path, std::string& text) {
  text.clear();
  Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno == ENOENT ? kRasSuccess : kErrorCannotOpenPhonebook;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrorCannotOpenPhonebook;
  char piece[64 * 1024];
  for (;;) {
    const ssize_t n = read(fd.get(), piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kErrorCannotOpenPhonebook;
    if (n == 0) return kRasSuccess;
    if (text.size() + static_cast<std::size_t>(n) > kMaxPhonebookFileBytes) {
      return kErrorCorruptPhonebook;
    }
    text.append(piece, static_cast<std::size_t>(n));
  }
}

// Removes temporary files that a writer which died before its rename left
// behind. Only called under the exclusive lock, when no writer is between
// writing one and renaming it.
void RemoveStaleTemporaries(const std::string& folder, const std::string& fileName) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = fileName + kTemporaryMark;
  const std::size_t length = prefix.size() + std::strlen("XXXXXX");
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() == length && name.starts_with(prefix)) stale.emplace_back(name);
  }
  for (const std::string& name : stale) unlinkat(dirfd(dir), name.c_str(), 0);
  closedir(dir);
}

}  // namespace

RasError ReadPhonebookFile(const std::string& path, std::string& text) {
  std::string file;
  if (const RasError e = ResolvePhonebookLink(path, file); e != kRasSuccess) return e;
  // Without a lock file no writer has got as far as the file, and a rename
  // is atomic anyway: the read sees the old file or the new one, whole.
  Descriptor lock(open((file + ".lock").c_str(), O_RDONLY | O_CLOEXEC));
  if (lock.valid() && !Lock(lock, LOCK_SH)) return kErrorCannotOpenPhonebook;
  return ReadWhole(file, text);
}

RasError UpdatePhonebookFile(const std::string& path, const PhonebookChange& change,
                             const PhonebookWriteHooks& hooks) {
  std::string file;
  if (const RasError e = ResolvePhonebookLink(path, file); e != kRasSuccess) return e;
  const std::filesystem::path parent = std::filesystem::path(file).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  if (!std::filesystem::is_directory(folder)) {
    // Nothing to read yet; the folders are made only for something to write.
    std::string next;
    if (const RasError e = change(std::string(), next); e != kRasSuccess) return e;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  }
  Descriptor lock(open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid() || !Lock(lock, LOCK_EX)) return kErrorCannotWritePhonebook;
  std::string current;
  if (const RasError e = ReadWhole(file, current); e != kRasSuccess) return e;
  std::string next;
  if (const RasError e = change(current, next); e != kRasSuccess) return e;
  const std::string name = std::filesystem::path(file).filename().string();
  RemoveStaleTemporaries(folder, name);
  // The new file keeps the old one's permissions; a first one is the user's alone.
  struct stat old {};
  const mode_t mode = stat(file.c_str(), &old) == 0 ? old.st_mode & 07777 : 0600;
  const int error =
      ReplaceFileAtomically(folder, name, next, mode, name + kTemporaryMark, hooks.beforeReplace);
  return error == 0 ? kRasSuccess : kErrorCannotWritePhonebook;
}

}  // namespace verolink::host
