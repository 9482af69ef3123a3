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

}  // namespace verolink::host
