#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "phonebook/ras_entry_record.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The phonebook file is a key file as GLib reads and writes it (GKeyFile),
// UTF-8, one group per entry:
//
//   [Pelkar INTERNET]
//   dwSize=2884
//   dwfOptions=1024262928
//   szLocalPhoneNumber=pelkar
//   ...
//
// The group is named after the entry; its keys are dwSize and the record's
// members that an image of that size holds, under the platform's member
// names: numbers in decimal, addresses as dotted quads, guidId as 32 hex
// digits, texts as GLib keeps them (it drops form feeds and vertical tabs at
// the ends of a value), AlternateNumbers as a list. Members at zero, or
// empty, are left out. A file with anything else (a zero byte, an unknown or
// repeated key, a malformed value) is damaged.

struct PhonebookEntry {
  std::string name;  // single-byte, in the code page
  RasEntryRecord record;
  bool operator==(const PhonebookEntry&) const = default;
};

// Whether the phonebook file can hold an entry of this single-byte name: 1 to
// 256 bytes, a group name in the file (no '[', ']' or control characters),
// and the same bytes again once read back through the code page.
bool IsStorableEntryName(std::string_view name, const CodePage& codePage);

// Reads a file's text entry by entry, in its order, names converted to the
// code page, handing each to `take`. 0 on success; 625 when the text is not
// such a file (entries before the damage may have been handed over).
RasError ReadPhonebook(std::string_view text, const CodePage& codePage,
                       const std::function<void(PhonebookEntry&)>& take);

// The entries of a file's text, in its order. 0 on success; 625 when the
// text is not such a file, with `entries` left as it was.
RasError ParsePhonebook(std::string_view text, const CodePage& codePage,
                        std::vector<PhonebookEntry>& entries);

// The file's text for the entries, whose names are storable.
std::string FormatPhonebook(const std::vector<PhonebookEntry>& entries, const CodePage& codePage);

// Sets `next` to the text of the file `text` with `entry` (its name storable)
// in place of the entry of that name, or after the others; the other entries
// stay as they were read. 0 on success; 625, with `next` untouched, when
// `text` is not a phonebook file.
RasError PutEntry(std::string_view text, const PhonebookEntry& entry, const CodePage& codePage,
                  std::string& next);

// Sets `next` to the text of the file `text` without the entry `name`. 0 on
// success; 623 when there is no such entry, 625 when `text` is not a
// phonebook file, `next` untouched either way.
RasError RemoveEntry(std::string_view text, const std::string& name, const CodePage& codePage,
                     std::string& next);

}  // namespace verolink::host
