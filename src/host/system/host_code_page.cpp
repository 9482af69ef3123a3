#include "host/system/host_code_page.h"

#include <iconv.h>

#include <cstdlib>
#include <stdexcept>

namespace verolink::host {

namespace {

constexpr char16_t kUndefined = u'\uFFFD';

// Closes an iconv descriptor when the table has been read.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The one UTF-16 unit that `byte` stands for, or U+FFFD.
  char16_t Decode(unsigned char byte) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    char in = static_cast<char>(byte);
    unsigned char out[4] = {};
    char* inPtr = &in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 || sizeof out - outLeft != 2) {
      return kUndefined;
    }
    return static_cast<char16_t>(out[0] | (out[1] << 8));
  }

 private:
  iconv_t cd_;
};

}  // namespace

HostCodePage::HostCodePage(const std::string& name) : name_(name) {
  Converter converter("UTF-16LE", name.c_str());
  if (!converter.valid()) throw std::runtime_error("unknown code page: " + name);
  for (int b = 0; b < 256; ++b) {
    const char16_t c = converter.Decode(static_cast<unsigned char>(b));
    decode_[b] = c;
    // The first byte that stands for a character is the one it becomes.
    if (c != kUndefined) encode_.emplace(c, static_cast<char>(b));
  }
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
