#pragma once

#include <cstdint>
#include <string>

namespace verolink::host {

inline constexpr char kPhonebookVariable[] = "VEROLINK_PHONEBOOK";
inline constexpr char kEntrySizeVariable[] = "VEROLINK_RAS_ENTRY_SIZE";
// The size of the newest platform's entry structure.
inline constexpr std::uint32_t kDefaultEntrySize = 2884;

// $VEROLINK_PHONEBOOK when set, else $XDG_CONFIG_HOME/verolink/phonebook.pbk
// with XDG_CONFIG_HOME defaulting to ~/.config (a relative one is ignored, as
// the base directory rules say).
std::string DefaultPhonebookPath();

// The entry size the phonebook reports: $VEROLINK_RAS_ENTRY_SIZE when it is a
// decimal number, else 2884.
std::uint32_t EntrySizeFromEnvironment();

}  // namespace verolink::host
