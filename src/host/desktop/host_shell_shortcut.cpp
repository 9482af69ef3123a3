#include "host/desktop/host_shell_shortcut.h"

#include <glib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "desktop/automation.h"
#include "host/system/atomic_file.h"

namespace verolink::host {

std::string DesktopEntryValue(const std::string& text) {
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

namespace {

// A file URL for an absolute path, its unsafe bytes percent-encoded; empty
// for an empty or relative path.
std::string FileUrl(const std::string& path) {
  const std::unique_ptr<gchar, decltype(&g_free)> url(
      g_filename_to_uri(path.c_str(), nullptr, nullptr), &g_free);
  return url ? url.get() : std::string();
}

}  // namespace

std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile) {
  const std::string name = ToUtf8(entryName);
  std::string text = "[Desktop Entry]\nType=Link\nVersion=1.0\n";
  text += "Name=" + DesktopEntryValue(name) + "\n";
  text += "Comment=" +
          DesktopEntryValue("Подключение «" + name + "» из телефонной книги " +
                            (phonebookFile.empty() ? "по умолчанию" : phonebookFile)) +
          "\n";
  text += "Icon=network-wired\n";
  // Only an absolute path makes a file URL.
  if (const std::string url = FileUrl(phonebookFile); !url.empty()) text += "URL=" + url + "\n";
  text += "X-Verolink-Entry=" + DesktopEntryValue(name) + "\n";
  text += "X-Verolink-Phonebook=" + DesktopEntryValue(phonebookFile) + "\n";
  return text;
}

void WriteShortcutFile(const std::string& folder, const Text& entryName, const std::string& content,
                       const std::string& ending, mode_t mode) {
  const std::string name = ToUtf8(entryName);
  if (name.empty() || name.find_first_of(std::string("/\0", 2)) != std::string::npos) {
    throw AutomationError("no shortcut file can be named after \"" + name + "\"");
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw AutomationError("cannot create the desktop folder: " + error.message());
  if (const int e = ReplaceFileAtomically(folder, name + ending, content, mode); e != 0) {
    throw AutomationError("cannot write the shortcut: " + std::string(std::strerror(e)));
  }
}

}  // namespace verolink::host
