#pragma once

#include <string>

namespace verolink::host {

// The user's home folder: $HOME when set, else the password database's entry
// for this user. Empty when neither knows one.
std::string HomeFolder();

// A folder of the XDG base directories: $`variable` when it holds an absolute
// path (a relative one is ignored, as the rules say), else `underHome` below
// the home folder. Empty when that is wanted and no home folder is known.
std::string XdgBaseFolder(const char* variable, const char* underHome);

// The user's desktop folder (UTF-8 path), looked up on every call: the VEROLINK_DESKTOP
// environment variable when set, else the desktop folder of the user's
// user-dirs.dirs (read through GLib) unless that is the home folder itself,
// else ~/Desktop. Empty when no home folder is known.
std::string DesktopFolder();

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share. Empty when no home folder is known.
std::string DataFolder();

}  // namespace verolink::host
