#include "host/phonebook/phonebook_file_reader.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_file_format.h"

namespace verolink::host {

namespace {

struct Line {
  std::string_view text;  // without its line end
  std::size_t start = 0;  // where it starts in the file's text
  std::size_t end = 0;    // where the next one starts
  bool plainEnd = false;  // ended by a lone "\n", as the writer ends lines
};

// Where the next LF lies, or the text's size.
std::size_t FindLineFeed(std::string_view text, std::size_t from) {
  const void* found = std::memchr(text.data() + from, '\n', text.size() - from);
  return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                          : text.size();
}

// The line at `position`, moving past it; false at the end of the text. A
// CR is part of the line end only right before its LF.
bool NextLine(std::string_view text, std::size_t& position, Line& line) {
  if (position >= text.size()) return false;
  const std::size_t stop = FindLineFeed(text, position);
  const bool found = stop < text.size();
  line.text = text.substr(position, stop - position);
  line.start = position;
  line.end = found ? stop + 1 : stop;
  line.plainEnd = found;
  if (found && !line.text.empty() && line.text.back() == '\r') {
    line.text.remove_suffix(1);
    line.plainEnd = false;
  }
  position = line.end;
  return true;
}

bool IsSkipped(std::string_view line) {
  return line.empty() || line.front() == ';' || line.front() == '#';
}

// A comment holds well-formed UTF-8 and no control bytes. (Names and values
// show the same by decoding, so only comments need this check.) A UTF-8
// sequence never takes in an ASCII byte, so only the runs of other bytes need
// the trip through UTF-16 to show they are well formed.
bool IsPlainComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size();) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (b >= 0x80) {
      std::size_t end = i + 1;
      while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80) ++end;
      const std::string_view run = line.substr(i, end - i);
      if (ToUtf8(FromUtf8(run)) != run) return false;
      i = end;
      continue;
    }
    if (b < 0x20 || b == 0x7F) return false;
    ++i;
  }
  return true;
}

bool IsKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The key and value of a field line; false without an '=' right after the
// key's letters and digits, or with an unknown key.
bool SplitField(std::string_view line, std::size_t& keyNumber, std::string_view& value) {
  std::size_t equals = 0;
  while (equals < line.size() && IsKeyCharacter(line[equals])) ++equals;
  if (equals == line.size() || line[equals] != '=') return false;
  const auto number = NumberOfKey(line.substr(0, equals));
  if (!number) return false;
  keyNumber = *number;
  value = line.substr(equals + 1);
  return true;
}

// The section being checked: its keys so far and its entry size.
class OpenSection {
 public:
  // Checks one field line; `canonical` tells whether the writer would write
  // its value the same.
  // `rest` runs from the line's start to the end of the file's text.
  bool Field(std::string_view line, std::string_view rest, const AnsiTextEscaping& escaping,
             bool& canonical) {
    std::size_t number = expected_;
    std::string_view value;
    if (number < kStoredKeyCount && StartsWithKey(rest, number)) {
      value = line.substr(KeyOfNumber(number).size() + 1);
    } else if (!SplitField(line, number, value)) {
      return false;
    }
    if (!keys_.Add(number)) return false;
    expected_ = KeyWrittenAfter(number);
    canonical = true;
    if (number == kEntrySizeKeyNumber) {
      entrySize_ = ParseDecimal(value);
      return entrySize_.has_value();
    }
    const FieldKind kind = KindOfKeyNumber(number);
    return kind == FieldKind::Text ? escaping.Check(value, canonical) : IsWellFormed(kind, value);
  }

  bool Complete() const { return keys_.CompleteFor(entrySize_); }

 private:
  SectionKeys keys_;
  std::optional<std::uint32_t> entrySize_;
  std::size_t expected_ = kEntrySizeKeyNumber;  // the writer's first key
};

// Opens the section of a header line; false when the header is damaged.
bool Header(const Line& line, const AnsiTextEscaping& escaping, IndexedSection& section) {
  const std::string_view text = line.text;
  if (text.size() < 2 || text.back() != ']') return false;
  const std::string_view escaped = text.substr(1, text.size() - 2);
  auto name = escaping.Unescape(escaped);
  if (!name || !IsValidEntryName(*name)) return false;
  section.canonical = line.plainEnd && escaping.IsWrittenForm(escaped, *name);
  section.name = std::move(*name);
  section.offset = line.start;
  section.length = line.end - line.start;
  return true;
}

bool NamesAreUnique(const std::vector<IndexedSection>& sections) {
  std::unordered_set<std::string_view> names;
  names.reserve(sections.size());
  for (const IndexedSection& section : sections) {
    if (!names.insert(section.name).second) return false;
  }
  return true;
}

}  // namespace

RasError IndexPhonebook(std::string_view fileText, const AnsiTextEscaping& escaping,
                        std::vector<IndexedSection>& sections) {
  std::vector<IndexedSection> found;
  OpenSection open;
  bool afterSkipped = false;  // a skipped line since the open section's last line
  std::size_t position = 0;
  for (Line line; NextLine(fileText, position, line);) {
    if (IsSkipped(line.text)) {
      if (!IsPlainComment(line.text)) return kErrorCorruptPhonebook;
      afterSkipped = true;
      continue;
    }
    if (line.text.front() == '[') {
      if (!found.empty() && !open.Complete()) return kErrorCorruptPhonebook;
      if (!Header(line, escaping, found.emplace_back())) return kErrorCorruptPhonebook;
      open = OpenSection();
      afterSkipped = false;
      continue;
    }
    bool canonical = false;
    if (found.empty() || !open.Field(line.text, fileText.substr(line.start), escaping, canonical)) {
      return kErrorCorruptPhonebook;
    }
    IndexedSection& section = found.back();
    section.canonical = section.canonical && canonical && line.plainEnd && !afterSkipped;
    section.length = line.end - section.offset;
  }
  if (!found.empty() && !open.Complete()) return kErrorCorruptPhonebook;
  if (!NamesAreUnique(found)) return kErrorCorruptPhonebook;
  sections = std::move(found);
  return kRasSuccess;
}

std::vector<StoredField> ReadSectionFields(std::string_view sectionText,
                                           const AnsiTextEscaping& escaping) {
  std::vector<StoredField> fields;
  fields.reserve(kStoredKeyCount);
  std::size_t position = 0;
  for (Line line; NextLine(sectionText, position, line);) {
    std::size_t number = 0;
    std::string_view value;
    if (IsSkipped(line.text) || line.text.front() == '[') continue;
    if (!SplitField(line.text, number, value)) continue;  // not in a checked section
    StoredField& field = fields.emplace_back();
    field.key = KeyOfNumber(number);
    if (KindOfKeyNumber(number) == FieldKind::Text) {
      field.value = escaping.Unescape(value).value_or(std::string());  // checked before
    } else {
      field.value = value;
    }
  }
  return fields;
}

}  // namespace verolink::host
