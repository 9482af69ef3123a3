#pragma once

#include <cstddef>
#include <functional>
#include <string>

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

// The phonebook file's text, kept consistent between processes: readers take
// a shared lock and writers an exclusive one on the separate file
// "<file>.lock", and a writer replaces the file by renaming a synced
// temporary file of the same folder over it. Reading never creates anything.
class PhonebookFileStore {
 public:
  explicit PhonebookFileStore(std::string path, PhonebookWriteHooks hooks = {});

  // The file's text; a file that does not exist reads as empty. 621 when it
  // cannot be read, 625 when it is far too large to be a phonebook.
  RasError Read(std::string& text) const;

  // Hands the current text to `change` under the exclusive lock and, when it
  // returns 0, replaces the file with the text it left; any other result is
  // returned with nothing written. Folders are created when there is
  // something to write. 624 when the file cannot be written.
  using Change = std::function<RasError(std::string& text)>;
  RasError Update(const Change& change);

  const std::string& path() const { return path_; }

 private:
  RasError ReadUnlocked(std::string& text) const;
  RasError Replace(const std::string& text) const;

  std::string path_;
  std::string folder_;
  std::string lockPath_;
  PhonebookWriteHooks hooks_;
};

}  // namespace verolink::host
