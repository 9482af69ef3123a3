#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace verolink::host {

// Replaces `<folder>/<name>` with `content`: a temporary file
// `<folder>/<temporaryPrefix>XXXXXX` is written, given `mode`, synced and
// renamed over the target (`beforeRename` runs just before the rename), then
// the folder is synced, so a reader sees the old file or the new one, never
// a part, and the new one survives a crash. Returns 0 on success, else the
// errno of the step that failed; the temporary file is then removed and the
// target left as it was. The default prefix hides the temporary file from
// programs that load the folder's files.
int ReplaceFileAtomically(const std::string& folder, const std::string& name,
                          std::string_view content, mode_t mode,
                          const std::string& temporaryPrefix = ".verolink-",
                          const std::function<void()>& beforeRename = {});

}  // namespace verolink::host
