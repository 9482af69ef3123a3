#include "win32/code_page.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

namespace {

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

AnsiCodePage::AnsiCodePage(unsigned codePage)
    : codePage_(codePage == CP_ACP ? GetACP() : codePage), kind_(Kind::kSingleByte) {
  CPINFO info{};
  if (codePage_ == CP_UTF8) {
    kind_ = Kind::kUtf8;
  } else if (GetCPInfo(codePage_, &info) && info.MaxCharSize > 1) {
    kind_ = Kind::kLeadBytes;
  }
  if (kind_ != Kind::kSingleByte) return;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t unit = L'?';
    if (MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) != 1) unit = L'?';
    fromByte_[b] = static_cast<char16_t>(unit);
  }
}

std::string AnsiCodePage::ToAnsi(TextView text) const {
  std::string out;
  if (text.empty()) return out;
  if (kind_ == Kind::kSingleByte) {
    out.reserve(text.size());
    for (const char16_t c : text) {
      const wchar_t unit = static_cast<wchar_t>(c);
      char bytes[4] = {};
      BOOL defaulted = FALSE;
      // No best-fit guesses: a character the code page lacks becomes '?',
      // never a look-alike such as '\' for a full-width backslash in a path.
      const int n = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes,
                                        sizeof bytes, "?", &defaulted);
      out += (n == 1 && !defaulted) ? bytes[0] : '?';
    }
    return out;
  }
  // UTF-8 takes no flags and no default character (every character has its
  // bytes; a lone surrogate becomes U+FFFD). A double-byte code page takes
  // both, and converts the whole text so that a surrogate pair stays one
  // character.
  const bool utf8 = kind_ == Kind::kUtf8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf8 ? nullptr : "?";
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(codePage_, flags, wide, length, nullptr, 0, fallback, nullptr);
  if (size <= 0) return std::string(text.size(), '?');
  out.resize(static_cast<std::size_t>(size));
  const int n =
      WideCharToMultiByte(codePage_, flags, wide, length, out.data(), size, fallback, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

Text AnsiCodePage::FromAnsi(std::string_view bytes) const {
  Text out;
  if (kind_ == Kind::kSingleByte) {
    out.reserve(bytes.size());
    for (const char b : bytes) out += fromByte_[static_cast<unsigned char>(b)];
    return out;
  }
  if (bytes.empty()) return out;
  // A broken sequence becomes the replacement character, never lost text.
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(codePage_, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return Text(bytes.size(), u'?');
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int n = MultiByteToWideChar(codePage_, 0, bytes.data(), length, wide.data(), size);
  return Text(reinterpret_cast<const char16_t*>(wide.data()),
              n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::size_t AnsiCodePage::WholeCharacterBytes(std::string_view bytes, std::size_t maxBytes) const {
  if (bytes.size() <= maxBytes) return bytes.size();
  switch (kind_) {
    case Kind::kSingleByte:
      return maxBytes;
    case Kind::kUtf8: {
      // The byte at the cut begins the first character left out; step back
      // over the continuation bytes of a character the cut would split.
      std::size_t cut = maxBytes;
      while (cut > 0 && IsUtf8Continuation(bytes[cut])) --cut;
      return cut;
    }
    case Kind::kLeadBytes:
      break;
  }
  // A lead byte says that it and the next byte are one character; only a walk
  // from the start tells lead bytes from trail bytes.
  std::size_t position = 0;
  while (position < maxBytes) {
    const auto byte = static_cast<BYTE>(bytes[position]);
    const std::size_t width = IsDBCSLeadByteEx(codePage_, byte) ? 2 : 1;
    if (position + width > maxBytes) break;
    position += width;
  }
  return position;
}

}  // namespace verolink::win32
