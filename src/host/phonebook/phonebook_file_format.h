#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/phonebook/ansi_text_escaping.h"
#include "host/phonebook/entry_fields.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The phonebook file is UTF-8 text, one section per entry:
//
//   [entry name]
//   entrySize=2884
//   options=0x3D0D0310
//   ...
//
// The entry name and every text value are single-byte text, escaped as
// AnsiTextEscaping says. Blank lines and lines that start with ';' or '#'
// are ignored. Anything else, a duplicate entry or key, an unknown key, a
// malformed value or a section without the keys of its entrySize makes the
// whole file damaged.

inline constexpr std::size_t kMaxEntryNameBytes = 256;  // the listing's 257-byte field

// What the writer puts first; then each section follows a blank line.
inline constexpr std::string_view kPhonebookFileHeader =
    "; Verolink phonebook: one [entry] per section. Texts are shown in UTF-8;\n"
    "; \\\\, \\n, \\r, \\t and \\xHH stand for bytes that cannot be shown as they are.\n";

struct PhonebookSection {
  std::string name;  // single-byte
  std::vector<StoredField> fields;
};

struct PhonebookContents {
  std::vector<PhonebookSection> sections;  // in the file's order

  PhonebookSection* Find(std::string_view name);
  // Replaces the section of that name in its place, or appends it.
  void Put(PhonebookSection section);
  // Removes the section of that name; false when there is none.
  bool Remove(std::string_view name);
};

// Whether the phonebook can hold an entry of this name: 1 to 256 bytes, no
// zero byte.
bool IsValidEntryName(std::string_view name);

// The contents of the file's text, or 625 when it is damaged.
RasError ParsePhonebook(std::string_view fileText, const AnsiTextEscaping& escaping,
                        PhonebookContents& contents);

std::string FormatPhonebook(const PhonebookContents& contents, const AnsiTextEscaping& escaping);
std::string FormatSection(const PhonebookSection& section, const AnsiTextEscaping& escaping);

}  // namespace verolink::host
