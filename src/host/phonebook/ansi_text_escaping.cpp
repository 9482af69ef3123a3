#include "host/phonebook/ansi_text_escaping.h"

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
    std::uint8_t& page = pageOf_[unit[0] >> 8];
    if (page == 0) {
      pages_.emplace_back().fill(-1);
      page = static_cast<std::uint8_t>(pages_.size());
    }
    std::int16_t& slot = pages_[page - 1][unit[0] & 0xFF];
    if (slot < 0) slot = static_cast<std::int16_t>(b);  // the first byte of a character wins
  }
}

int AnsiTextEscaping::ByteShownAs(char32_t c) const {
  if (c > 0xFFFF) return -1;
  const std::uint8_t page = pageOf_[c >> 8];
  return page == 0 ? -1 : pages_[page - 1][c & 0xFF];
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
  std::string out;
  out.reserve(escaped.size());
  if (!Decode(escaped, &out)) return std::nullopt;
  return out;
}

bool AnsiTextEscaping::Check(std::string_view escaped, bool& canonical) const {
  if (escaped.find('\\') == std::string_view::npos) {
    canonical = IsWrittenForm(escaped, escaped);
    return Decode(escaped, nullptr);
  }
  const auto text = Unescape(escaped);
  canonical = text && IsWrittenForm(escaped, *text);
  return text.has_value();
}

bool AnsiTextEscaping::IsWrittenForm(std::string_view escaped, std::string_view text) const {
  // Without escapes every character is shown as itself and written back the
  // same, but for a blank at either end, which is written as an escape.
  if (escaped.find('\\') == std::string_view::npos) {
    return escaped.empty() || (escaped.front() != ' ' && escaped.back() != ' ');
  }
  return Escape(text) == escaped;
}

bool AnsiTextEscaping::Decode(std::string_view escaped, std::string* out) const {
  const auto put = [out](int b) {
    if (out != nullptr) out->push_back(static_cast<char>(b));
  };
  const std::size_t size = escaped.size();
  for (std::size_t i = 0; i < size;) {
    const auto lead = static_cast<unsigned char>(escaped[i]);
    if (lead != '\\') {
      const auto c = DecodeUtf8Sequence(escaped, i);
      const int b = c ? ByteShownAs(*c) : -1;
      if (b < 0) return false;
      put(b);
      continue;
    }
    if (++i == size) return false;
    switch (escaped[i++]) {
      case '\\':
        put('\\');
        break;
      case 'n':
        put('\n');
        break;
      case 'r':
        put('\r');
        break;
      case 't':
        put('\t');
        break;
      case 'x': {
        if (i + 2 > size) return false;
        const int high = HexValue(escaped[i]);
        const int low = HexValue(escaped[i + 1]);
        if (high < 0 || low < 0) return false;
        put(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

}  // namespace verolink::host
