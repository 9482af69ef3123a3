#include "host/phonebook/phonebook_keyfile.h"

#include <arpa/inet.h>
#include <glib.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "host/phonebook/host_phonebook_base.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "phonebook/entry_members.h"

namespace verolink::host {

namespace {

namespace layout = entry_layout;

constexpr char kSizeKey[] = "dwSize";
constexpr char kAlternatesKey[] = "AlternateNumbers";

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;
using Strings = std::unique_ptr<gchar*, decltype(&g_strfreev)>;
using String = std::unique_ptr<gchar, decltype(&g_free)>;

bool IsGroupName(std::string_view utf8) {
  if (utf8.empty() || !g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
    return false;
  }
  for (const char c : utf8) {
    if (c == '[' || c == ']' || g_ascii_iscntrl(c)) return false;
  }
  return true;
}

// The group an entry of this single-byte name has in the file.
std::string GroupOf(std::string_view name, const CodePage& codePage) {
  return ToUtf8(codePage.FromAnsi(name));
}

// Decimal digits only, up to 4294967295.
bool ParseNumber(std::string_view text, std::uint32_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Writes one record's members into its group; members at zero, or empty,
// are left out.
class GroupWriter {
 public:
  GroupWriter(GKeyFile* file, const char* group, const RasEntryRecord& record)
      : file_(file), group_(group), record_(record) {}

  void operator()(const layout::Number& n) {
    if (record_.*n.member != 0) Set(n.name, std::to_string(record_.*n.member));
  }
  void operator()(const layout::Field& f) {
    if (!(record_.*f.member).empty()) Set(f.name, ToUtf8(record_.*f.member));
  }
  void operator()(const layout::Address& a) {
    const RasIpAddress& ip = record_.*a.member;
    if (ip == RasIpAddress{}) return;
    const std::uint8_t bytes[4] = {ip.a, ip.b, ip.c, ip.d};
    char text[INET_ADDRSTRLEN];
    Set(a.name, inet_ntop(AF_INET, bytes, text, sizeof text));
  }
  void operator()(const layout::Guid& g) {
    const auto& bytes = record_.*g.member;
    if (bytes == std::remove_cvref_t<decltype(bytes)>{}) return;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) text += {kHex[byte >> 4], kHex[byte & 0xF]};
    Set(g.name, text);
  }

  void Write() {
    Set(kSizeKey, std::to_string(record_.dwSize));
    layout::ForEachMember(record_.dwSize, *this);
    if (record_.AlternateNumbers.empty()) return;
    // The numbers are separated by zero characters: one list item each.
    const std::string numbers = ToUtf8(record_.AlternateNumbers);
    std::vector<const gchar*> list;
    for (std::size_t at = 0; at <= numbers.size(); at += std::strlen(numbers.c_str() + at) + 1) {
      list.push_back(numbers.c_str() + at);
    }
    g_key_file_set_string_list(file_, group_, kAlternatesKey, list.data(), list.size());
  }

 private:
  void Set(std::string_view key, const std::string& value) {
    g_key_file_set_string(file_, group_, std::string(key).c_str(), value.c_str());
  }

  GKeyFile* file_;
  const char* group_;
  const RasEntryRecord& record_;
};

// Puts one well-formed value into its member of the record.
class ValueReader {
 public:
  ValueReader(const char* value, RasEntryRecord& record) : value_(value), record_(record) {}

  bool operator()(const layout::Number& n) { return ParseNumber(value_, record_.*n.member); }
  bool operator()(const layout::Field& f) {
    record_.*f.member = FromUtf8(value_);
    return true;
  }
  // Four decimal numbers up to 255 between dots.
  bool operator()(const layout::Address& a) {
    std::uint8_t bytes[4];
    if (inet_pton(AF_INET, value_, bytes) != 1) return false;
    record_.*a.member = {bytes[0], bytes[1], bytes[2], bytes[3]};
    return true;
  }
  bool operator()(const layout::Guid& g) {
    if (std::strlen(value_) != 32) return false;
    for (std::size_t i = 0; i < 16; ++i) {
      const char* hex = value_ + 2 * i;
      if (!g_ascii_isxdigit(hex[0]) || !g_ascii_isxdigit(hex[1])) return false;
      (record_.*g.member)[i] = static_cast<std::uint8_t>(g_ascii_xdigit_value(hex[0]) << 4 |
                                                         g_ascii_xdigit_value(hex[1]));
    }
    return true;
  }

 private:
  const char* value_;
  RasEntryRecord& record_;
};

// The alternate numbers of a list, its items separated by zero characters.
bool ReadAlternates(GKeyFile* file, const char* group, RasEntryRecord& record) {
  gsize count = 0;
  const Strings items(g_key_file_get_string_list(file, group, kAlternatesKey, &count, nullptr),
                      &g_strfreev);
  if (!items || count == 0) return false;
  std::string joined = items.get()[0];
  for (gsize i = 1; i < count; ++i) (joined += '\0') += items.get()[i];
  record.AlternateNumbers = FromUtf8(joined);
  return true;
}

// Reads one group into a record: a member that is not there is zero or
// empty. False when the group is not an entry's: no fitting dwSize, a key of
// no member of that size or one given twice (GLib lists every key line, so
// either leaves a key line unaccounted for), or a value that is not well
// formed (texts must be UTF-8).
bool ReadGroup(GKeyFile* file, const char* group, RasEntryRecord& record) {
  RasEntryRecord read;
  const String size(g_key_file_get_value(file, group, kSizeKey, nullptr), &g_free);
  if (!size || !ParseNumber(size.get(), read.dwSize) || !layout::LayoutFits(read.dwSize)) {
    return false;
  }
  // Members are looked for among the group's key lines, not asked of GLib
  // one by one: it formats an error text for each key it does not find.
  gsize keyLines = 0;
  const Strings keys(g_key_file_get_keys(file, group, &keyLines, nullptr), &g_strfreev);
  const std::vector<std::string_view> names(keys.get(), keys.get() + keyLines);
  const auto has = [&](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::size_t members = 1;  // dwSize
  bool wellFormed = true;
  layout::ForEachMember(read.dwSize, [&](const auto& member) {
    if (!has(member.name)) return;
    ++members;
    // Only texts are unescaped; any other value with an escape is malformed.
    // The members' names are string literals, so they end in a zero.
    constexpr bool text = std::is_same_v<std::decay_t<decltype(member)>, layout::Field>;
    const String value((text ? g_key_file_get_string : g_key_file_get_value)(
                           file, group, member.name.data(), nullptr),
                       &g_free);
    wellFormed = wellFormed && value && ValueReader(value.get(), read)(member);
  });
  if (has(kAlternatesKey)) {
    ++members;
    wellFormed = wellFormed && ReadAlternates(file, group, read);
  }
  if (!wellFormed || members != keyLines) return false;
  record = std::move(read);
  return true;
}

// Loads a phonebook file's text into `file` and reads its entries, in the
// file's order and with names converted to the code page, handing each to
// `take`; false when the text is not such a file.
bool Load(std::string_view text, const CodePage& codePage, GKeyFile* file,
          const std::function<void(PhonebookEntry&)>& take) {
  // GLib would end the text at a zero byte, and a write would drop the rest.
  if (text.find('\0') != std::string_view::npos ||
      !g_key_file_load_from_data(file, text.data(), text.size(), G_KEY_FILE_NONE, nullptr)) {
    return false;
  }
  const Strings groups(g_key_file_get_groups(file, nullptr), &g_strfreev);
  for (gchar** group = groups.get(); *group != nullptr; ++group) {
    // Only the group the writer makes of its name: one group per entry.
    if (!IsGroupName(*group)) return false;
    PhonebookEntry entry{codePage.ToAnsi(FromUtf8(*group)), {}};
    if (!IsValidEntryName(entry.name) || GroupOf(entry.name, codePage) != *group ||
        !ReadGroup(file, *group, entry.record)) {
      return false;
    }
    take(entry);
  }
  return true;
}

std::string TextOf(GKeyFile* file) {
  gsize length = 0;
  const String text(g_key_file_to_data(file, &length, nullptr), &g_free);
  return std::string(text.get(), length);
}

KeyFile NewKeyFile() { return KeyFile(g_key_file_new(), &g_key_file_free); }

// Loads a phonebook file's text, changes it with `change` and gives the
// changed text in `next`; 625 when `text` is not a phonebook file, else
// `change`'s result, with `next` untouched unless that is 0.
template <class Change>
RasError Edit(std::string_view text, const CodePage& codePage, std::string& next, Change change) {
  const KeyFile file = NewKeyFile();
  if (!Load(text, codePage, file.get(), [](PhonebookEntry&) {})) return kErrorCorruptPhonebook;
  const RasError result = change(file.get());
  if (result == kRasSuccess) next = TextOf(file.get());
  return result;
}

}  // namespace

bool IsStorableEntryName(std::string_view name, const CodePage& codePage) {
  if (!IsValidEntryName(name)) return false;
  const Text text = codePage.FromAnsi(name);
  return IsGroupName(ToUtf8(text)) && codePage.ToAnsi(text) == name;
}

RasError ReadPhonebook(std::string_view text, const CodePage& codePage,
                       const std::function<void(PhonebookEntry&)>& take) {
  return Load(text, codePage, NewKeyFile().get(), take) ? kRasSuccess : kErrorCorruptPhonebook;
}

RasError ParsePhonebook(std::string_view text, const CodePage& codePage,
                        std::vector<PhonebookEntry>& entries) {
  std::vector<PhonebookEntry> read;
  const RasError result = ReadPhonebook(
      text, codePage, [&](PhonebookEntry& entry) { read.push_back(std::move(entry)); });
  if (result == kRasSuccess) entries = std::move(read);
  return result;
}

std::string FormatPhonebook(const std::vector<PhonebookEntry>& entries, const CodePage& codePage) {
  const KeyFile file = NewKeyFile();
  for (const PhonebookEntry& entry : entries) {
    const std::string group = GroupOf(entry.name, codePage);
    GroupWriter(file.get(), group.c_str(), entry.record).Write();
  }
  return TextOf(file.get());
}

RasError PutEntry(std::string_view text, const PhonebookEntry& entry, const CodePage& codePage,
                  std::string& next) {
  return Edit(text, codePage, next, [&](GKeyFile* file) {
    const std::string group = GroupOf(entry.name, codePage);
    // Emptied rather than removed, so that the group keeps its place.
    const Strings keys(g_key_file_get_keys(file, group.c_str(), nullptr, nullptr), &g_strfreev);
    for (gchar** key = keys.get(); key != nullptr && *key != nullptr; ++key) {
      g_key_file_remove_key(file, group.c_str(), *key, nullptr);
    }
    GroupWriter(file, group.c_str(), entry.record).Write();
    return kRasSuccess;
  });
}

RasError RemoveEntry(std::string_view text, const std::string& name, const CodePage& codePage,
                     std::string& next) {
  return Edit(text, codePage, next, [&](GKeyFile* file) {
    // No group is named after a name the file cannot hold.
    const std::string group = GroupOf(name, codePage);
    return IsStorableEntryName(name, codePage) &&
                   g_key_file_remove_group(file, group.c_str(), nullptr)
               ? kRasSuccess
               : kErrorCannotFindPhonebookEntry;
  });
}

}  // namespace verolink::host
