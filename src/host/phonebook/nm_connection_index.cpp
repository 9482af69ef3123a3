#include "host/phonebook/nm_connection_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/phonebook/file_version.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/system/atomic_file.h"
#include "host/system/user_folders.h"

namespace verolink::host {

namespace {

constexpr char kMagic[8] = {'V', 'L', 'N', 'M', 'I', 'X', '0', '1'};
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

std::int64_t Ns(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * kNanosecondsPerSecond + t.tv_nsec;
}

timespec FromNs(std::int64_t ns) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(ns / kNanosecondsPerSecond);
  t.tv_nsec = static_cast<long>(ns % kNanosecondsPerSecond);
  return t;
}

// A folder's stamp: its size says nothing more than its times.
FileVersion FolderVersionOf(const struct stat& st) {
  FileVersion version = FileVersion::Of(st);
  version.size = 0;
  return version;
}

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// Little-endian fields of the cache file.
class Writer {
 public:
  void U64(std::uint64_t v) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
    out.append(bytes, 8);
  }
  void Bytes(std::string_view text) {
    U64(text.size());
    out += text;
  }
  // device, inode, [size,] modification and change times in nanoseconds.
  void Version(const FileVersion& v, bool withSize) {
    U64(v.device);
    U64(v.inode);
    if (withSize) U64(static_cast<std::uint64_t>(v.size));
    U64(static_cast<std::uint64_t>(Ns(v.modified)));
    U64(static_cast<std::uint64_t>(Ns(v.changed)));
  }
  std::string out;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool U64(std::uint64_t& v) {
    if (in_.size() < 8) return false;
    v = 0;
    for (int i = 0; i < 8; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in_[i])) << (8 * i);
    in_.remove_prefix(8);
    return true;
  }
  bool I64(std::int64_t& v) {
    std::uint64_t u = 0;
    if (!U64(u)) return false;
    v = static_cast<std::int64_t>(u);
    return true;
  }
  bool Bytes(std::string& text) {
    std::uint64_t n = 0;
    if (!U64(n) || n > in_.size()) return false;
    text.assign(in_.substr(0, n));
    in_.remove_prefix(n);
    return true;
  }
  // A version written by Writer::Version: always of a file that existed.
  bool Version(FileVersion& v, bool withSize) {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modified = 0, changed = 0;
    if (!U64(device) || !U64(inode) || (withSize && !U64(size)) || !I64(modified) ||
        !I64(changed)) {
      return false;
    }
    v = FileVersion{true,
                    static_cast<dev_t>(device),
                    static_cast<ino_t>(inode),
                    static_cast<off_t>(size),
                    FromNs(modified),
                    FromNs(changed)};
    return true;
  }
  bool done() const { return in_.empty(); }

 private:
  std::string_view in_;
};

}  // namespace

RasError ConnectionIndex::List(const std::string& folder,
                               const std::vector<ConnectionFile>*& files) {
  if (!loaded_ || folder_ != folder) Load(folder);
  files = &files_;
  const timespec lookedAt = StampClockNow();  // before the look: see IsSettled
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    if (errno != ENOENT) return kErrorCannotOpenPhonebook;
    files_.clear();
    seen_.clear();
    folderStamp_ = {};
    return kRasSuccess;
  }
  const FileVersion version = FolderVersionOf(st);
  if (folderSettled_ && version == folderStamp_) return kRasSuccess;
  return Scan(folder, version, lookedAt);
}

RasError ConnectionIndex::Scan(const std::string& folder, const FileVersion& folderStamp,
                               const timespec& lookedAt) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return kErrorCannotOpenPhonebook;
  const int fd = ::dirfd(dir);
  std::unordered_map<std::string_view, std::size_t> byName;
  byName.reserve(files_.size());
  for (std::size_t i = 0; i < files_.size(); ++i) byName.emplace(files_[i].fileName, i);

  std::vector<ConnectionFile> listed;
  std::vector<Seen> seen;
  listed.reserve(files_.size());
  seen.reserve(files_.size());
  bool changed = !(folderStamp == folderStamp_);
  std::string text;
  RasError result = kRasSuccess;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) result = kErrorCannotOpenPhonebook;
      break;
    }
    if (!NetworkManagerLoads(entry->d_name)) continue;
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    const auto found = byName.find(entry->d_name);
    const std::size_t kept = found == byName.end() ? files_.size() : found->second;
    struct stat st {};
    const bool trusted = kept < files_.size() && seen_[kept].settled &&
                         seen_[kept].stamp.inode == entry->d_ino &&
                         ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                         FileVersion::Of(st) == seen_[kept].stamp;
    if (trusted) {
      // Each name comes once; the kept one is not looked at again.
      listed.push_back(std::move(files_[kept]));
      seen.push_back(seen_[kept]);
      continue;
    }
    const int file = ::openat(fd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (file < 0) {
      changed = true;
      // Not readable (or gone since): listed without an id, as a damaged one.
      if (errno != ENOENT && errno != ELOOP) {
        listed.push_back({entry->d_name, {}});
        seen.push_back({});
      }
      continue;
    }
    const bool regular = ::fstat(file, &st) == 0 && S_ISREG(st.st_mode);
    const bool read = regular && ReadKeyfile(file, text) == kRasSuccess;
    ::close(file);
    if (!regular) {
      changed = true;
      continue;
    }
    ConnectionFile fresh{entry->d_name, read ? ConnectionIdOf(text) : std::string()};
    const FileVersion version = FileVersion::Of(st);
    const Seen seenNow{version, read && IsSettled(version, lookedAt)};
    // A file read again because it had not settled yet may well be the same.
    if (kept == files_.size() || !(files_[kept] == fresh) || !(seen_[kept] == seenNow)) {
      changed = true;
    }
    listed.push_back(std::move(fresh));
    seen.push_back(seenNow);
  }
  ::closedir(dir);
  if (result != kRasSuccess) {
    loaded_ = false;  // the kept files may have been moved out
    return result;
  }
  if (listed.size() != files_.size()) changed = true;
  const bool settled = IsSettled(folderStamp, lookedAt);
  changed = changed || settled != folderSettled_;
  files_ = std::move(listed);
  seen_ = std::move(seen);
  folderStamp_ = folderStamp;
  folderSettled_ = settled;
  if (changed) Save();
  return kRasSuccess;
}

void ConnectionIndex::Load(const std::string& folder) {
  loaded_ = true;
  folder_ = folder;
  files_.clear();
  seen_.clear();
  folderStamp_ = {};
  folderSettled_ = false;
  if (cachePath_.empty()) return;
  std::ifstream in(cachePath_, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < sizeof kMagic + 8 ||
      bytes.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
    return;
  }
  const std::string_view body(bytes.data(), bytes.size() - 8);
  Reader trailer(std::string_view(bytes).substr(bytes.size() - 8));
  std::uint64_t sum = 0;
  if (!trailer.U64(sum) || sum != Fnv1a(body)) return;

  Reader r(body.substr(sizeof kMagic));
  std::string path;
  FileVersion stamp;
  std::uint64_t settled = 0, count = 0;
  if (!r.Bytes(path) || path != folder || !r.Version(stamp, false) || !r.U64(settled) ||
      !r.U64(count)) {
    return;
  }
  std::vector<ConnectionFile> files;
  std::vector<Seen> seen;
  if (count > body.size()) return;
  files.reserve(count);
  seen.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    ConnectionFile f;
    Seen k;
    std::uint64_t s = 0;
    if (!r.Bytes(f.fileName) || !r.Bytes(f.id) || !r.Version(k.stamp, true) || !r.U64(s)) {
      return;
    }
    k.settled = s != 0;
    files.push_back(std::move(f));
    seen.push_back(k);
  }
  if (!r.done()) return;
  files_ = std::move(files);
  seen_ = std::move(seen);
  folderStamp_ = stamp;
  folderSettled_ = settled != 0;
}

void ConnectionIndex::Save() const {
  if (cachePath_.empty()) return;
  Writer w;
  w.out.append(kMagic, sizeof kMagic);
  w.Bytes(folder_);
  w.Version(folderStamp_, false);
  w.U64(folderSettled_);
  w.U64(files_.size());
  w.out.reserve(files_.size() * 120);
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const Seen& k = seen_[i];
    w.Bytes(files_[i].fileName);
    w.Bytes(files_[i].id);
    w.Version(k.stamp, true);
    w.U64(k.settled);
  }
  w.U64(Fnv1a(w.out));
  const std::size_t slash = cachePath_.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  const std::string folder = cachePath_.substr(0, slash);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  // A cache: a torn file fails its checksum and is rebuilt.
  ReplaceFileAtomically(folder, cachePath_.substr(slash + 1), w.out, 0600, false);
}

std::string ConnectionIndexPath(const std::string& folder) {
  const std::string base = XdgBaseFolder("XDG_CACHE_HOME", ".cache");
  if (base.empty()) return {};
  char name[40];
  std::snprintf(name, sizeof name, "/verolink/nm-%016llx.index",
                static_cast<unsigned long long>(Fnv1a(folder)));
  return base + name;
}

}  // namespace verolink::host
