#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/code_page.h"

namespace verolink::host {

inline constexpr char kDefaultCodePageName[] = "WINDOWS-1251";
inline constexpr char kCodePageVariable[] = "VEROLINK_CODE_PAGE";

// A single-byte code page, read once through iconv into a 256-entry table so
// that each conversion is one table look-up per byte or UTF-16 unit. A byte
// the code page leaves undefined reads as U+FFFD; a character it lacks
// becomes '?'.
class HostCodePage : public CodePage {
 public:
  // Throws std::runtime_error when iconv does not know the code page.
  explicit HostCodePage(const std::string& name);

  // The code page named by VEROLINK_CODE_PAGE, or WINDOWS-1251 when it is
  // unset or unknown.
  static HostCodePage FromEnvironment();

  std::string ToAnsi(TextView text) const override;
  Text FromAnsi(std::string_view bytes) const override;

  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::array<char16_t, 256> decode_{};
  std::unordered_map<char16_t, char> encode_;
};

}  // namespace verolink::host
