#pragma once

#include <string>

namespace verolink::host {

// The user's desktop folder (UTF-8 path), looked up on every call: the
// VEROLINK_DESKTOP environment variable when set, else what `xdg-user-dir
// DESKTOP` answers unless that is the home folder itself (its answer when no
// desktop is configured), else ~/Desktop. Empty when no home folder is known.
std::string DesktopFolder();

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share. Empty when no home folder is known.
std::string DataFolder();

}  // namespace verolink::host
