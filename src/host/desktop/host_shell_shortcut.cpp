#include "host/desktop/host_shell_shortcut.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "desktop/automation.h"

namespace verolink::host {

namespace {

// A desktop-entry string value: backslash and control characters escaped, a
// leading blank kept, so a name can never start a line or key of its own.
std::string EntryValue(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case ' ':
        out += i == 0 ? "\\s" : " ";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A file URL for an absolute path: every byte but unreserved ones and '/'
// percent-encoded.
std::string FileUrl(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const unsigned char c : path) {
    const bool alphanumeric =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (alphanumeric || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0xF];
    }
  }
  return url;
}

[[noreturn]] void Fail(const std::string& what, int error) {
  throw AutomationError(what + ": " + std::strerror(error));
}

void WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot write the shortcut", errno);
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile) {
  const std::string name = ToUtf8(entryName);
  std::string text = "[Desktop Entry]\nType=Link\nVersion=1.0\n";
  text += "Name=" + EntryValue(name) + "\n";
  text += "Comment=" +
          EntryValue("Подключение «" + name + "» из телефонной книги " +
                     (phonebookFile.empty() ? "по умолчанию" : phonebookFile)) +
          "\n";
  text += "Icon=network-wired\n";
  if (!phonebookFile.empty()) text += "URL=" + FileUrl(phonebookFile) + "\n";
  text += "X-Verolink-Entry=" + EntryValue(name) + "\n";
  text += "X-Verolink-Phonebook=" + EntryValue(phonebookFile) + "\n";
  return text;
}

void WriteShortcutFile(const std::string& folder, const Text& entryName,
                       const std::string& content) {
  const std::string name = ToUtf8(entryName);
  if (name.empty() || name.find_first_of(std::string("/\0", 2)) != std::string::npos) {
    throw AutomationError("no shortcut file can be named after \"" + name + "\"");
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw AutomationError("cannot create the desktop folder: " + error.message());

  const std::string target = folder + "/" + name + ".lnk";
  std::string temporary = folder + "/.verolink-XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) Fail("cannot create a temporary shortcut", errno);
  try {
    WriteAll(fd, content);
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) Fail("cannot finish the shortcut", errno);
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int closeError = errno;
    ::unlink(temporary.c_str());
    Fail("cannot finish the shortcut", closeError);
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temporary.c_str());
    Fail("cannot place the shortcut", renameError);
  }
}

}  // namespace verolink::host
