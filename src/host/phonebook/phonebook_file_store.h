#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "host/phonebook/file_version.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// Test points of a phonebook write.
struct PhonebookWriteHooks {
  // Runs once the new file is written and synced, before it replaces the old
  // one: a process that dies here leaves the old file as it was.
  std::function<void()> beforeReplace;
};

// Files above this size are not a phonebook this program wrote.
inline constexpr std::size_t kMaxPhonebookFileBytes = 16u << 20;

// One phonebook file as an operation sees it under its lock: its version
// taken when it was opened, and its text read on demand.
class LockedFile {
 public:
  LockedFile() = default;  // a missing file
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  const FileVersion& version() const { return version_; }
  // Whether any later change is sure to show as another version (file_version.h).
  bool settled() const { return settled_; }

  // The whole text; a file that does not exist reads as empty. 621 when it
  // cannot be read, 625 when it is far too large to be a phonebook.
  RasError ReadText(std::string& text) const;
  // Whether the file holds exactly `expected`, read piece by piece to tell.
  RasError Holds(std::string_view expected, bool& same) const;

 private:
  friend class PhonebookFileStore;
  // Opens the file at `path`, its lock already held.
  RasError Open(const std::string& path);

  int fd_ = -1;
  FileVersion version_ = FileVersion::Missing();
  bool settled_ = true;
};

// The phonebook file's text, kept consistent between processes: readers take
// a shared lock and writers an exclusive one on the separate file
// "<file>.lock", and a writer replaces the file by renaming a synced
// temporary file of the same folder over it. Reading never creates anything.
// A path that is a symbolic link stands for the file it leads to, looked up
// anew by each operation: the lock, the temporary file and the replacement
// are all beside that file, and the link stays as it is. A link to nothing
// or a loop of links is refused (host_phonebook_errors.h) before anything is
// read or written.
class PhonebookFileStore {
 public:
  explicit PhonebookFileStore(std::string path, PhonebookWriteHooks hooks = {});

  // Hands the file to `use` under the shared lock. 621 when it cannot be
  // opened, or the link errors above.
  using Use = std::function<RasError(const LockedFile& file)>;
  RasError Read(const Use& use) const;

  // Hands the file to `change` under the exclusive lock and, when it returns
  // 0, replaces the file with the text it points `text` at (which must live
  // until Update returns) and tells the new file's version; any other result
  // is returned with nothing written. When the folder is missing, `change`
  // first sees a missing file without any lock, and folders are created only
  // if it has something to write. 624 when the file cannot be written, or
  // the link errors above, with `change` never called.
  using Change = std::function<RasError(const LockedFile& file, std::string_view& text)>;
  RasError Update(const Change& change, FileVersion& written);

  // The path as given, a link or not.
  const std::string& path() const { return path_; }

 private:
  // The file an operation works on, its folder and its lock file.
  struct Place {
    std::string file;
    std::string folder;
    std::string lock;
  };
  RasError Locate(Place& place) const;
  RasError Replace(const Place& place, std::string_view text, FileVersion& written) const;

  std::string path_;
  PhonebookWriteHooks hooks_;
};

}  // namespace verolink::host
