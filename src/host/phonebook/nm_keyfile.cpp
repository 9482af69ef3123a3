#include "host/phonebook/nm_keyfile.h"

#include <algorithm>

namespace verolink::host {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:  // GLib refuses these when the value is read; kept as written
        out += '\\';
        out += value[i];
    }
  }
  return out;
}

std::string Escaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  bool leading = true;
  for (const char c : value) {
    if (c != ' ') leading = false;
    switch (c) {
      case ' ':
        out += leading ? "\\s" : " ";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<Keyfile> Keyfile::Parse(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  Keyfile file;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = TrimLeft(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == 0 || close == std::string_view::npos) return std::nullopt;
      file.groups_.push_back({std::string(line.substr(1, close - 1)), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || file.groups_.empty()) return std::nullopt;
    const std::string_view key = TrimRight(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    file.groups_.back().entries.emplace_back(std::string(key),
                                             Unescaped(TrimLeft(line.substr(equals + 1))));
  }
  return file;
}

const std::string* Keyfile::Find(std::string_view group, std::string_view key) const {
  for (const KeyfileGroup& g : groups_) {
    if (g.name != group) continue;
    for (const auto& [k, v] : g.entries) {
      if (k == key) return &v;
    }
  }
  return nullptr;
}

void Keyfile::Add(std::string_view group, std::string_view key, std::string value) {
  auto found = std::find_if(groups_.begin(), groups_.end(),
                            [&](const KeyfileGroup& g) { return g.name == group; });
  if (found == groups_.end()) {
    groups_.push_back({std::string(group), {}});
    found = groups_.end() - 1;
  }
  found->entries.emplace_back(std::string(key), std::move(value));
}

std::string Keyfile::Format() const {
  std::string text;
  for (const KeyfileGroup& group : groups_) {
    if (!text.empty()) text += '\n';
    text += '[' + group.name + "]\n";
    for (const auto& [key, value] : group.entries) text += key + '=' + Escaped(value) + '\n';
  }
  return text;
}

}  // namespace verolink::host
