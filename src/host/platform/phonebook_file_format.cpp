#include "host/platform/phonebook_file_format.h"

#include <algorithm>
#include <set>

#include "host/platform/host_phonebook_errors.h"

namespace verolink::host {

namespace {

constexpr char kFileHeader[] =
    "; Verolink phonebook: one [entry] per section. Texts are shown in UTF-8;\n"
    "; \\\\, \\n, \\r, \\t and \\xHH stand for bytes that cannot be shown as they are.\n";

bool IsKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Well-formed UTF-8 with no control bytes but line ends (CR only before LF).
// A UTF-8 sequence never takes in an ASCII byte, so only the runs of other
// bytes need the trip through UTF-16 to show they are well formed.
bool IsPlainText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80) {
      std::size_t end = i + 1;
      while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) ++end;
      const std::string_view run = text.substr(i, end - i);
      if (ToUtf8(FromUtf8(run)) != run) return false;
      i = end;
      continue;
    }
    const bool lineEnd = b == '\n' || (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
    if (!lineEnd && (b < 0x20 || b == 0x7F)) return false;
    ++i;
  }
  return true;
}

// Reads one key=value line into the open section.
bool ParseField(std::string_view line, const AnsiTextEscaping& escaping,
                PhonebookSection& section) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0) return false;
  const std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  if (!std::all_of(key.begin(), key.end(), IsKeyCharacter)) return false;
  const auto kind = KindOfKey(key);
  if (!kind) return false;
  if (*kind != FieldKind::Text) {
    if (!IsWellFormed(*kind, value)) return false;
    section.fields.push_back({std::string(key), std::string(value)});
    return true;
  }
  auto text = escaping.Unescape(value);
  if (!text) return false;
  section.fields.push_back({std::string(key), std::move(*text)});
  return true;
}

}  // namespace

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
  if (!IsPlainText(fileText)) return kErrorCorruptPhonebook;
  PhonebookContents parsed;
  std::set<std::string> names;
  while (!fileText.empty()) {
    const std::size_t end = std::min(fileText.find('\n'), fileText.size());
    std::string_view line = fileText.substr(0, end);
    fileText.remove_prefix(std::min(end + 1, fileText.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      if (line.size() < 2 || line.back() != ']') return kErrorCorruptPhonebook;
      auto name = escaping.Unescape(line.substr(1, line.size() - 2));
      if (!name || !IsValidEntryName(*name) || !names.insert(*name).second) {
        return kErrorCorruptPhonebook;
      }
      parsed.sections.push_back({std::move(*name), {}});
      parsed.sections.back().fields.reserve(ImageMembers().size() + 1);  // entrySize too
    } else if (parsed.sections.empty() || !ParseField(line, escaping, parsed.sections.back())) {
      return kErrorCorruptPhonebook;
    }
  }
  for (const PhonebookSection& section : parsed.sections) {
    if (!HasFieldsOfItsSize(section.fields)) return kErrorCorruptPhonebook;
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
  std::string out = kFileHeader;
  for (const PhonebookSection& section : contents.sections) {
    out += '\n' + FormatSection(section, escaping);
  }
  return out;
}

}  // namespace verolink::host
