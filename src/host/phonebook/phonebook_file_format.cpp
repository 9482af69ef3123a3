#include "host/phonebook/phonebook_file_format.h"

#include <algorithm>
#include <utility>

#include "host/phonebook/phonebook_file_reader.h"

namespace verolink::host {

PhonebookSection* PhonebookContents::Find(std::string_view name) {
  const auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const PhonebookSection& s) { return s.name == name; });
  return it == sections.end() ? nullptr : &*it;
}

void PhonebookContents::Put(PhonebookSection section) {
  if (PhonebookSection* existing = Find(section.name)) {
    *existing = std::move(section);
  } else {
    sections.push_back(std::move(section));
  }
}

bool PhonebookContents::Remove(std::string_view name) {
  const auto it = std::find_if(sections.begin(), sections.end(),
                               [&](const PhonebookSection& s) { return s.name == name; });
  if (it == sections.end()) return false;
  sections.erase(it);
  return true;
}

bool IsValidEntryName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxEntryNameBytes &&
         name.find('\0') == std::string_view::npos;
}

RasError ParsePhonebook(std::string_view fileText, const AnsiTextEscaping& escaping,
                        PhonebookContents& contents) {
  std::vector<IndexedSection> sections;
  if (const RasError e = IndexPhonebook(fileText, escaping, sections); e != kRasSuccess) return e;
  PhonebookContents parsed;
  parsed.sections.reserve(sections.size());
  for (IndexedSection& section : sections) {
    parsed.sections.push_back(
        {std::move(section.name),
         ReadSectionFields(fileText.substr(section.offset, section.length), escaping)});
  }
  contents = std::move(parsed);
  return kRasSuccess;
}

std::string FormatSection(const PhonebookSection& section, const AnsiTextEscaping& escaping) {
  std::string out = '[' + escaping.Escape(section.name) + "]\n";
  for (const StoredField& field : section.fields) {
    const bool text = KindOfKey(field.key) == FieldKind::Text;
    out += field.key + '=' + (text ? escaping.Escape(field.value) : field.value) + '\n';
  }
  return out;
}

std::string FormatPhonebook(const PhonebookContents& contents, const AnsiTextEscaping& escaping) {
  std::string out(kPhonebookFileHeader);
  for (const PhonebookSection& section : contents.sections) {
    out += '\n' + FormatSection(section, escaping);
  }
  return out;
}

}  // namespace verolink::host
