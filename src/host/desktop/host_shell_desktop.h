#pragma once

#include <string>

namespace verolink::host {

// The user's desktop folder (UTF-8 path), looked up on every call: the
// VEROLINK_DESKTOP environment variable when set, else the desktop folder of
// the user's user-dirs.dirs (read through GLib) unless that is the home folder
// itself, else ~/Desktop. Empty when no home folder is known.
std::string DesktopFolder();

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share. Empty when no home folder is known.
std::string DataFolder();

}  // namespace verolink::host
