#include "host/platform/ansi_text_escaping.h"

namespace verolink::host {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Characters that would look like something else, or like nothing, in a
// text editor.
bool IsInvisible(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xA0 || c == 0xAD ||
         (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFD;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendHexEscape(std::string& out, unsigned char b) {
  out += "\\x";
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 0xF];
}

}  // namespace

AnsiTextEscaping::AnsiTextEscaping(const CodePage& codePage) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const Text unit = codePage.FromAnsi(byte);
    if (unit.size() != 1 || IsInvisible(unit[0]) || unit[0] == u'\\') continue;
    if (codePage.ToAnsi(unit) != byte) continue;  // would not come back as the same byte
    shown_[b] = ToUtf8(unit);
    bytes_.emplace(unit[0], static_cast<char>(b));
  }
}

std::string AnsiTextEscaping::Escape(std::string_view ansi) const {
  std::string out;
  out.reserve(ansi.size());
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    const auto b = static_cast<unsigned char>(ansi[i]);
    const bool atEnd = i == 0 || i + 1 == ansi.size();
    if (b == ' ' && atEnd) {
      AppendHexEscape(out, b);
    } else if (b == '\\') {
      out += "\\\\";
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\t') {
      out += "\\t";
    } else if (!shown_[b].empty()) {
      out += shown_[b];
    } else {
      AppendHexEscape(out, b);
    }
  }
  return out;
}

std::optional<std::string> AnsiTextEscaping::Unescape(std::string_view escaped) const {
  // Malformed UTF-8 turns into U+FFFD, which no byte is shown as.
  const Text text = FromUtf8(escaped);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\\') {
      const auto it = bytes_.find(c);
      if (it == bytes_.end()) return std::nullopt;
      out += it->second;
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case u'\\':
        out += '\\';
        break;
      case u'n':
        out += '\n';
        break;
      case u'r':
        out += '\r';
        break;
      case u't':
        out += '\t';
        break;
      case u'x': {
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = text[i + 1] < 0x80 ? HexValue(static_cast<char>(text[i + 1])) : -1;
        const int low = text[i + 2] < 0x80 ? HexValue(static_cast<char>(text[i + 2])) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

}  // namespace verolink::host
