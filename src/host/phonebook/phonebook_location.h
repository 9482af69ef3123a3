#pragma once

#include <cstdint>
#include <string>

#include "phonebook/ras_phonebook.h"

namespace verolink::host {

inline constexpr char kPhonebookVariable[] = "VEROLINK_PHONEBOOK";
inline constexpr char kEntrySizeVariable[] = "VEROLINK_RAS_ENTRY_SIZE";
// The size of the newest platform's entry structure.
inline constexpr std::uint32_t kDefaultEntrySize = 2884;

// The value of an environment variable; empty when it is not set.
std::string EnvironmentVariable(const char* name);

// $VEROLINK_PHONEBOOK when set, else $XDG_CONFIG_HOME/verolink/phonebook.pbk
// with XDG_CONFIG_HOME defaulting to ~/.config (a relative one is ignored, as
// the base directory rules say).
std::string DefaultPhonebookPath();

// Where the phonebook file at `path` really is: `path` itself unless it is a
// symbolic link, else the file the links lead to (its folders' links
// resolved too), so that it is replaced there and the link stays. A missing
// `path` is a phonebook not written yet and stays as it is.
// kErrorDanglingPhonebookLink when the links lead to nothing,
// kErrorPhonebookLinkLoop when they form a loop, 621 when they cannot be
// followed for another reason.
RasError ResolvePhonebookLink(const std::string& path, std::string& target);

// The entry size the phonebook reports: $VEROLINK_RAS_ENTRY_SIZE when it is a
// decimal number, else 2884.
std::uint32_t EntrySizeFromEnvironment();

}  // namespace verolink::host
