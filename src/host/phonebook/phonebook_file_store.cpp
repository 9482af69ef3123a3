#include "host/phonebook/phonebook_file_store.h"

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

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_location.h"
#include "host/system/atomic_file.h"

namespace verolink::host {

namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr char kTemporaryPattern[] = "XXXXXX";
constexpr std::size_t kReadPiece = 256 * 1024;

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
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool Lock(const Descriptor& fd, int operation) {
  while (flock(fd.get(), operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Reads up to `size` bytes at `offset`: fewer only at the file's end; -1 on
// failure.
ssize_t ReadAt(int fd, char* into, std::size_t size, std::size_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(fd, into + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
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

LockedFile::~LockedFile() {
  if (fd_ >= 0) close(fd_);
}

RasError LockedFile::Open(const std::string& path) {
  const timespec lookedAt = StampClockNow();  // before the look: see IsSettled
  Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno == ENOENT ? kRasSuccess : kErrorCannotOpenPhonebook;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrorCannotOpenPhonebook;
  version_ = FileVersion::Of(st);
  settled_ = IsSettled(version_, lookedAt);
  fd_ = fd.Release();
  return kRasSuccess;
}

RasError LockedFile::ReadText(std::string& text) const {
  if (!version_.exists) {
    text.clear();
    return kRasSuccess;
  }
  if (static_cast<std::uint64_t>(version_.size) > kMaxPhonebookFileBytes) {
    return kErrorCorruptPhonebook;
  }
  // One byte more than the file had, to see its end in the same read; a file
  // that grew since is read on.
  std::string content(static_cast<std::size_t>(version_.size) + 1, '\0');
  std::size_t done = 0;
  for (;;) {
    const ssize_t n = ReadAt(fd_, content.data() + done, content.size() - done, done);
    if (n < 0) return kErrorCannotOpenPhonebook;
    done += static_cast<std::size_t>(n);
    if (done < content.size()) break;
    if (done > kMaxPhonebookFileBytes) return kErrorCorruptPhonebook;
    content.resize(content.size() + kReadPiece);
  }
  content.resize(done);
  text = std::move(content);
  return kRasSuccess;
}

RasError LockedFile::Holds(std::string_view expected, bool& same) const {
  same = false;
  if (!version_.exists) {
    same = expected.empty();
    return kRasSuccess;
  }
  if (static_cast<std::uint64_t>(version_.size) != expected.size()) return kRasSuccess;
  std::vector<char> piece(kReadPiece);
  for (std::size_t offset = 0;;) {
    const ssize_t n = ReadAt(fd_, piece.data(), piece.size(), offset);
    if (n < 0) return kErrorCannotOpenPhonebook;
    const auto got = static_cast<std::size_t>(n);
    if (got > expected.size() - offset) return kRasSuccess;
    if (std::memcmp(piece.data(), expected.data() + offset, got) != 0) return kRasSuccess;
    offset += got;
    if (got < piece.size()) {
      same = offset == expected.size();
      return kRasSuccess;
    }
  }
}

PhonebookFileStore::PhonebookFileStore(std::string path, PhonebookWriteHooks hooks)
    : path_(std::move(path)), hooks_(std::move(hooks)) {}

RasError PhonebookFileStore::Locate(Place& place) const {
  if (const RasError e = ResolvePhonebookLink(path_, place.file); e != kRasSuccess) return e;
  place.folder = FolderOf(place.file);
  place.lock = place.file + ".lock";
  return kRasSuccess;
}

RasError PhonebookFileStore::Read(const Use& use) const {
  Place place;
  if (const RasError e = Locate(place); e != kRasSuccess) return e;
  // Without a lock file no writer has got as far as the file, and a rename
  // is atomic anyway: the read sees the old file or the new one, whole.
  Descriptor lock(open(place.lock.c_str(), O_RDONLY | O_CLOEXEC));
  if (lock.valid() && !Lock(lock, LOCK_SH)) return kErrorCannotOpenPhonebook;
  LockedFile file;
  if (const RasError e = file.Open(place.file); e != kRasSuccess) return e;
  return use(file);
}

RasError PhonebookFileStore::Update(const Change& change, FileVersion& written) {
  Place place;
  if (const RasError e = Locate(place); e != kRasSuccess) return e;
  std::string_view text;
  if (!IsFolder(place.folder)) {
    // Nothing to read yet; create the folders only if there is something to write.
    if (const RasError e = change(LockedFile(), text); e != kRasSuccess) return e;
    if (!CreateFolders(place.folder)) return kErrorCannotWritePhonebook;
  }
  Descriptor lock(open(place.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid() || !Lock(lock, LOCK_EX)) return kErrorCannotWritePhonebook;
  LockedFile file;
  if (const RasError e = file.Open(place.file); e != kRasSuccess) return e;
  if (const RasError e = change(file, text); e != kRasSuccess) return e;
  return Replace(place, text, written);
}

RasError PhonebookFileStore::Replace(const Place& place, std::string_view text,
                                     FileVersion& written) const {
  const std::string fileName = std::filesystem::path(place.file).filename().string();
  RemoveStaleTemporaries(place.folder, fileName);

  std::string temporary = place.file + kTemporaryMark + kTemporaryPattern;
  Descriptor fd(mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return kErrorCannotWritePhonebook;
  struct stat old {};
  if (stat(place.file.c_str(), &old) == 0) fchmod(fd.get(), old.st_mode & 07777);

  const bool done = WriteWhole(fd.get(), text) == 0 && fsync(fd.get()) == 0 && fd.Close();
  if (!done) {
    unlink(temporary.c_str());
    return kErrorCannotWritePhonebook;
  }
  if (hooks_.beforeReplace) hooks_.beforeReplace();
  if (rename(temporary.c_str(), place.file.c_str()) != 0) {
    unlink(temporary.c_str());
    return kErrorCannotWritePhonebook;
  }
  // The rename changed the file's change time; the lock keeps the program's
  // other writers away while the new version is looked up.
  struct stat now {};
  written = stat(place.file.c_str(), &now) == 0 ? FileVersion::Of(now) : FileVersion::Missing();
  // The rename itself lasts only once the folder is synced.
  return SyncFolder(place.folder) == 0 ? kRasSuccess : kErrorCannotWritePhonebook;
}

}  // namespace verolink::host
