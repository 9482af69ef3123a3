#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace verolink::host {

// A NetworkManager keyfile: the GLib key-file text NetworkManager keeps each
// connection in ("[group]" lines, then "key=value" lines; '#' comments).
struct KeyfileGroup {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;  // values unescaped
};

class Keyfile {
 public:
  // The groups and values of `text` as GLib reads them: leading blanks of a
  // line, blanks around the key and before the value dropped; the escapes
  // \s \n \t \r and \\ undone in values. nullopt for a line that is neither blank, a comment,
  // a group nor a key with '=' (GLib refuses such a file), a key outside any
  // group, or a zero byte.
  static std::optional<Keyfile> Parse(std::string_view text);

  // The value of a key, or null when it is not there (the first group and
  // key of that name).
  const std::string* Find(std::string_view group, std::string_view key) const;
  // Appends the key to its group, the group to the file when it is new.
  void Add(std::string_view group, std::string_view key, std::string value);

  // The text as GLib writes it: groups apart by a blank line, values escaped
  // so that a value's leading blanks, line breaks and backslashes survive.
  std::string Format() const;

  const std::vector<KeyfileGroup>& groups() const { return groups_; }

 private:
  std::vector<KeyfileGroup> groups_;
};

}  // namespace verolink::host
