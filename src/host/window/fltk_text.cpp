#include "host/window/fltk_text.h"

namespace verolink::host {

std::string FltkDrawnText(TextView text) { return FltkDrawnText(ToUtf8(text)); }

std::string FltkDrawnText(std::string_view utf8) {
  std::string out;
  for (const char c : utf8) {
    out += c;
    if (c == '@') out += '@';
  }
  return out;
}

namespace {

void WrapLine(std::string_view line, double maxWidth,
              const std::function<double(std::string_view)>& width, std::string& out) {
  std::string current;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view word = line.substr(start, end - start);
    if (current.empty()) {
      current = word;
    } else {
      std::string longer = current + ' ' + std::string(word);
      if (width(longer) <= maxWidth) {
        current = std::move(longer);
      } else {
        out += current + '\n';
        current = word;
      }
    }
    start = end + 1;
  }
  out += current;
}

}  // namespace

std::string WrapToWidth(std::string_view text, double maxWidth,
                        const std::function<double(std::string_view)>& width) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    WrapLine(text.substr(start, end == std::string_view::npos ? end : end - start), maxWidth, width,
             out);
    if (end == std::string_view::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

}  // namespace verolink::host
