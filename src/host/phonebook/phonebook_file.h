#pragma once

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

// The phonebook file at `path`, kept consistent between processes: readers
// take a shared lock and writers an exclusive one on the separate file
// "<file>.lock", and a writer replaces the whole file by renaming a synced
// temporary file of the same folder over it, then syncs the folder. Reading
// never creates anything. A path that is a symbolic link stands for the file
// it leads to, looked up anew by each call: the lock, the temporary file and
// the replacement are all beside that file, and the link stays as it is.

// The whole text under the shared lock; a missing file reads as empty. 621
// when it cannot be opened or read, 625 when it is far too large, or the link
// errors of ResolvePhonebookLink (phonebook_location.h).
RasError ReadPhonebookFile(const std::string& path, std::string& text);

// Under the exclusive lock, hands the current text (as ReadPhonebookFile
// gives it) to `change`; when that returns 0, the file is replaced with the
// text it left in `next`, else its result is returned and nothing is
// written. When the folder is missing, `change` is first asked once without
// the lock, so that folders are made only for something to write; the file's
// own folder is then made for the user alone. 624 when the file cannot be
// written: the old one stays as it was and no temporary file is left. Read's
// errors come back as they are, with `change` never called.
using PhonebookChange = std::function<RasError(const std::string& current, std::string& next)>;
RasError UpdatePhonebookFile(const std::string& path, const PhonebookChange& change,
                             const PhonebookWriteHooks& hooks = {});

}  // namespace verolink::host
