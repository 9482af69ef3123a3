#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace verolink::host {

// Writes all of `content` to `fd`, going on after interruptions and short
// writes. Returns 0 on success, else the errno of the failed write (EIO for a
// write that wrote nothing).
int WriteWhole(int fd, std::string_view content);

// Syncs a folder's own entries, so that a rename into it survives a crash.
// Returns 0 on success, else the errno of the open or the fsync.
int SyncFolder(const std::string& folder);

// Replaces `<folder>/<name>` with `content`: a hidden temporary file in the
// same folder is written, given `mode`, synced and renamed over the target,
// then the folder is synced, so a reader sees the old file or the new one,
// never a part, and the new one survives a crash. Returns 0 on success, else
// the errno of the step that failed; the temporary file is then removed and
// the target left as it was.
int ReplaceFileAtomically(const std::string& folder, const std::string& name,
                          std::string_view content, mode_t mode);

}  // namespace verolink::host
