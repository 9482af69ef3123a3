#include "host/phonebook/phonebook_file_text.h"

#include <algorithm>
#include <utility>

namespace verolink::host {

RasError PhonebookFileText::Read(std::string text, const AnsiTextEscaping& escaping,
                                 PhonebookFileText& result) {
  std::vector<IndexedSection> sections;
  if (const RasError e = IndexPhonebook(text, escaping, sections); e != kRasSuccess) return e;
  result.text_ = std::move(text);
  result.sections_ = std::move(sections);
  return kRasSuccess;
}

const IndexedSection* PhonebookFileText::Find(std::string_view name) const {
  const auto it = std::find_if(sections_.begin(), sections_.end(),
                               [&](const IndexedSection& s) { return s.name == name; });
  return it == sections_.end() ? nullptr : &*it;
}

PhonebookSection PhonebookFileText::SectionOf(const IndexedSection& section,
                                              const AnsiTextEscaping& escaping) const {
  return {section.name, ReadSectionFields(BytesOf(section), escaping)};
}

PhonebookFileText PhonebookFileText::WithSection(const PhonebookSection& section,
                                                 const AnsiTextEscaping& escaping) const {
  return Rewritten(Find(section.name), &section, escaping);
}

PhonebookFileText PhonebookFileText::WithoutSection(std::string_view name,
                                                    const AnsiTextEscaping& escaping) const {
  const IndexedSection* removed = Find(name);
  return removed == nullptr ? *this : Rewritten(removed, nullptr, escaping);
}

PhonebookFileText PhonebookFileText::Rewritten(const IndexedSection* replaced,
                                               const PhonebookSection* replacement,
                                               const AnsiTextEscaping& escaping) const {
  const std::string fresh = replacement ? FormatSection(*replacement, escaping) : std::string();
  PhonebookFileText next;
  next.text_.reserve(kPhonebookFileHeader.size() + text_.size() + fresh.size() + 1);
  next.text_ = kPhonebookFileHeader;
  next.sections_.reserve(sections_.size() + 1);
  for (const IndexedSection& section : sections_) {
    if (&section == replaced) {
      if (replacement) next.Append(replacement->name, fresh);
    } else if (section.canonical) {
      next.Append(section.name, BytesOf(section));
    } else {
      // Written by hand (comments, CRLF, other escapes): written as the writer does.
      next.Append(section.name, FormatSection(SectionOf(section, escaping), escaping));
    }
  }
  if (replaced == nullptr && replacement) next.Append(replacement->name, fresh);
  return next;
}

void PhonebookFileText::Append(std::string name, std::string_view sectionText) {
  text_ += '\n';
  sections_.push_back({std::move(name), text_.size(), sectionText.size(), true});
  text_ += sectionText;
}

std::string_view PhonebookFileText::BytesOf(const IndexedSection& section) const {
  return std::string_view(text_).substr(section.offset, section.length);
}

}  // namespace verolink::host
