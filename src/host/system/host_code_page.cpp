#include "host/system/host_code_page.h"

#include <glib.h>

#include <cstdlib>
#include <stdexcept>

namespace verolink::host {

namespace {

constexpr char16_t kUndefined = u'\uFFFD';

// The one UTF-16 unit that `byte` stands for, or U+FFFD.
char16_t Decode(GIConv converter, char byte) {
  gsize written = 0;
  gchar* out = g_convert_with_iconv(&byte, 1, converter, nullptr, &written, nullptr);
  char16_t unit = kUndefined;
  if (out != nullptr && written == 2) {
    unit = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
  }
  g_free(out);
  return unit;
}

}  // namespace

HostCodePage::HostCodePage(const std::string& name) : name_(name) {
  const GIConv converter = g_iconv_open("UTF-16LE", name.c_str());
  if (converter == reinterpret_cast<GIConv>(-1)) {
    throw std::runtime_error("unknown code page: " + name);
  }
  for (int b = 0; b < 256; ++b) {
    const char16_t c = Decode(converter, static_cast<char>(b));
    decode_[b] = c;
    // The first byte that stands for a character is the one it becomes.
    if (c != kUndefined) encode_.emplace(c, static_cast<char>(b));
  }
  g_iconv_close(converter);
}

HostCodePage HostCodePage::FromEnvironment() {
  const char* name = std::getenv(kCodePageVariable);
  if (name != nullptr && *name != '\0') {
    try {
      return HostCodePage(name);
    } catch (const std::runtime_error&) {
      // An unknown name falls back to the default code page.
    }
  }
  return HostCodePage(kDefaultCodePageName);
}

std::string HostCodePage::ToAnsi(TextView text) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const auto it = encode_.find(c);
    out += it == encode_.end() ? '?' : it->second;
  }
  return out;
}

Text HostCodePage::FromAnsi(std::string_view bytes) const {
  Text out;
  out.reserve(bytes.size());
  for (char b : bytes) out += decode_[static_cast<unsigned char>(b)];
  return out;
}

}  // namespace verolink::host
