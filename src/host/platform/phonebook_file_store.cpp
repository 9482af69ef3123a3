#include "host/platform/phonebook_file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "host/platform/host_phonebook_errors.h"

namespace verolink::host {

namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr char kTemporaryPattern[] = "XXXXXX";

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
  // Closes now, telling whether the data made it (close can report a late
  // write error).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool Lock(const Descriptor& fd, int operation) {
  while (flock(fd.get(), operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folder and the ones above it, readable by the user alone.
bool CreateFolders(const std::string& folder) {
  std::string path;
  for (const auto& part : std::filesystem::path(folder)) {
    path = path.empty() ? part.string() : (std::filesystem::path(path) / part).string();
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(folder);
}

bool SyncFolder(const std::string& folder) {
  Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.valid() && fsync(fd.get()) == 0;
}

// Removes temporary files that a writer which died before its rename left
// behind. Only called under the exclusive lock, when no writer is between
// writing one and renaming it.
void RemoveStaleTemporaries(const std::string& folder, const std::string& fileName) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = fileName + kTemporaryMark;
  const std::size_t length = prefix.size() + std::strlen(kTemporaryPattern);
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() == length && name.starts_with(prefix)) stale.emplace_back(name);
  }
  for (const std::string& name : stale) unlinkat(dirfd(dir), name.c_str(), 0);
  closedir(dir);
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

PhonebookFileStore::PhonebookFileStore(std::string path, PhonebookWriteHooks hooks)
    : path_(std::move(path)),
      folder_(FolderOf(path_)),
      lockPath_(path_ + ".lock"),
      hooks_(std::move(hooks)) {}

RasError PhonebookFileStore::Read(std::string& text) const {
  // Without a lock file no writer has got as far as the file, and a rename
  // is atomic anyway: the read sees the old file or the new one, whole.
  Descriptor lock(open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC));
  if (lock.valid() && !Lock(lock, LOCK_SH)) return kErrorCannotOpenPhonebook;
  return ReadUnlocked(text);
}

RasError PhonebookFileStore::ReadUnlocked(std::string& text) const {
  Descriptor fd(open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno != ENOENT) return kErrorCannotOpenPhonebook;
    text.clear();
    return kRasSuccess;
  }
  struct stat st {};
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrorCannotOpenPhonebook;
  if (static_cast<std::uint64_t>(st.st_size) > kMaxPhonebookFileBytes) {
    return kErrorCorruptPhonebook;
  }
  std::string content;
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t n = read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kErrorCannotOpenPhonebook;
    if (n == 0) break;
    content.append(chunk, static_cast<std::size_t>(n));
    if (content.size() > kMaxPhonebookFileBytes) return kErrorCorruptPhonebook;
  }
  text = std::move(content);
  return kRasSuccess;
}

RasError PhonebookFileStore::Update(const Change& change) {
  std::string text;
  if (!IsFolder(folder_)) {
    // Nothing to read yet; create the folders only if there is something to write.
    if (const RasError e = change(text); e != kRasSuccess) return e;
    if (!CreateFolders(folder_)) return kErrorCannotWritePhonebook;
  }
  Descriptor lock(open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid() || !Lock(lock, LOCK_EX)) return kErrorCannotWritePhonebook;
  if (const RasError e = ReadUnlocked(text); e != kRasSuccess) return e;
  if (const RasError e = change(text); e != kRasSuccess) return e;
  return Replace(text);
}

RasError PhonebookFileStore::Replace(const std::string& text) const {
  const std::string fileName = std::filesystem::path(path_).filename().string();
  RemoveStaleTemporaries(folder_, fileName);

  std::string temporary = path_ + kTemporaryMark + kTemporaryPattern;
  Descriptor fd(mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return kErrorCannotWritePhonebook;
  struct stat old {};
  if (stat(path_.c_str(), &old) == 0) fchmod(fd.get(), old.st_mode & 07777);

  const bool written = WriteAll(fd.get(), text) && fsync(fd.get()) == 0 && fd.Close();
  if (!written) {
    unlink(temporary.c_str());
    return kErrorCannotWritePhonebook;
  }
  if (hooks_.beforeReplace) hooks_.beforeReplace();
  if (rename(temporary.c_str(), path_.c_str()) != 0) {
    unlink(temporary.c_str());
    return kErrorCannotWritePhonebook;
  }
  // The rename itself lasts only once the folder is synced.
  return SyncFolder(folder_) ? kRasSuccess : kErrorCannotWritePhonebook;
}

}  // namespace verolink::host
