#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/phonebook/ansi_text_escaping.h"
#include "host/phonebook/entry_fields.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// Reading the phonebook file (its format is in phonebook_file_format.h) in
// two steps: a check of the whole text, which keeps only the name and place
// of each section, and the fields of one checked section when they are asked
// for. The check builds no text but the names, so a listing costs one pass.

struct IndexedSection {
  std::string name;        // single-byte
  std::size_t offset = 0;  // where its header line starts in the file's text
  std::size_t length = 0;  // from there through the end of its last field line
  bool canonical = false;  // those bytes are exactly what FormatSection writes
};

// The sections of the file's text in its order, or 625 (and nothing) when
// any part of it is damaged.
RasError IndexPhonebook(std::string_view fileText, const AnsiTextEscaping& escaping,
                        std::vector<IndexedSection>& sections);

// The fields of a section that IndexPhonebook accepted, from its bytes.
std::vector<StoredField> ReadSectionFields(std::string_view sectionText,
                                           const AnsiTextEscaping& escaping);

}  // namespace verolink::host
