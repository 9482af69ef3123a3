#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/phonebook/ansi_text_escaping.h"
#include "host/phonebook/phonebook_file_format.h"
#include "host/phonebook/phonebook_file_reader.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// A checked phonebook file's text with the place of each section. A change
// writes the changed section afresh and copies the others' bytes where they
// are already in the written form, so that the result is byte for byte
// FormatPhonebook of the changed contents without formatting them all.
class PhonebookFileText {
 public:
  PhonebookFileText() = default;  // an empty phonebook

  // Checks and takes the file's text; 625 when it is damaged.
  static RasError Read(std::string text, const AnsiTextEscaping& escaping,
                       PhonebookFileText& result);

  const std::string& text() const { return text_; }
  const std::vector<IndexedSection>& sections() const { return sections_; }
  const IndexedSection* Find(std::string_view name) const;
  PhonebookSection SectionOf(const IndexedSection& section, const AnsiTextEscaping& escaping) const;

  // The text with `section` in place of the one of its name, or at the end.
  PhonebookFileText WithSection(const PhonebookSection& section,
                                const AnsiTextEscaping& escaping) const;
  // The text without the section of that name.
  PhonebookFileText WithoutSection(std::string_view name, const AnsiTextEscaping& escaping) const;

 private:
  // Writes the sections in order, `replaced` by `replacement` (left out when
  // that is null) and `replacement` at the end when `replaced` is null.
  PhonebookFileText Rewritten(const IndexedSection* replaced, const PhonebookSection* replacement,
                              const AnsiTextEscaping& escaping) const;
  void Append(std::string name, std::string_view sectionText);
  std::string_view BytesOf(const IndexedSection& section) const;

  std::string text_;
  std::vector<IndexedSection> sections_;
};

}  // namespace verolink::host
