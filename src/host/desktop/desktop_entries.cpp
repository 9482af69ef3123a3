#include "host/desktop/desktop_entries.h"

#include <glib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <system_error>

#include "desktop/automation.h"
#include "host/system/atomic_file.h"
#include "host/system/user_folders.h"
#include "window/resources.h"

namespace verolink::host {

namespace {

constexpr char kMarkKey[] = "X-Verolink-Connection=";
// Launchers are small; a larger file is someone else's.
constexpr std::uintmax_t kMaxLauncherBytes = 64 * 1024;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file URL for an absolute path, its unsafe bytes percent-encoded; empty
// for an empty or relative path.
std::string FileUrl(const std::string& path) {
  const std::unique_ptr<gchar, decltype(&g_free)> url(
      g_filename_to_uri(path.c_str(), nullptr, nullptr), &g_free);
  return url ? url.get() : std::string();
}

// The path of the running program, for the launchers to start it again.
std::string RunningProgram() {
  const std::unique_ptr<gchar, decltype(&g_free)> path(g_file_read_link("/proc/self/exe", nullptr),
                                                       &g_free);
  return path ? path.get() : std::string("verolink-pppoe");
}

}  // namespace

std::string ExecArgument(const std::string& argument) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  constexpr std::string_view kEscapedInQuotes = "\"`$\\";
  std::string quoted;
  for (const char c : argument) {
    if (kEscapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  const bool plain = argument.find_first_of(kReserved) == std::string::npos && !argument.empty();
  return plain ? quoted : "\"" + quoted + "\"";
}

std::string DesktopEntryValue(const std::string& text) {
  // The characters a value cannot hold as they are, and the letters of their
  // escapes.
  constexpr std::string_view kEscaped = "\\\n\r\t";
  constexpr std::string_view kLetters = "\\nrt";
  std::string out;
  for (const char c : text) {
    const std::size_t at = kEscaped.find(c);
    if (at != std::string_view::npos) out += '\\';
    out += at == std::string_view::npos ? c : kLetters[at];
  }
  if (out.starts_with(' ')) out.replace(0, 1, "\\s");
  return out;
}

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

std::string LauncherFileText(const Text& entryName, const std::string& uuid,
                             const std::string& iconPath) {
  // Only a UUID goes into Exec unquoted: nothing of it can split or escape.
  if (!g_uuid_string_is_valid(uuid.c_str())) {
    throw AutomationError("\"" + uuid + "\" is not a connection's UUID");
  }
  const std::string name = ToUtf8(entryName);
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + DesktopEntryValue(name) + "\n";
  text += "Comment=" + DesktopEntryValue("Подключиться к Интернету через «" + name + "»") + "\n";
  text += "Exec=" + DesktopEntryValue(ExecArgument(RunningProgram())) + " --connect " + uuid + "\n";
  text += "Icon=" + DesktopEntryValue(iconPath.empty() ? "network-wired" : iconPath) + "\n";
  text += "Terminal=false\nCategories=Network;\n";
  text += kMarkKey + DesktopEntryValue(name) + "\n";
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

std::string InstalledProgramIcon() {
  const std::string data = DataFolder();
  if (data.empty()) return {};
  const std::string folder = data + "/verolink";
  const std::string path = folder + "/verolink-pppoe.png";
  const auto png = resources::ProgramIconPng();
  const std::string bytes(png.begin(), png.end());
  if (Contents(path) == bytes) return path;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || ReplaceFileAtomically(folder, "verolink-pppoe.png", bytes, 0644) != 0) return {};
  return path;
}

bool IsLauncherOf(const std::string& path, const Text& entryName) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uintmax_t>(st.st_size) > kMaxLauncherBytes) {
    return false;
  }
  const std::string mark =
      "\n" + std::string(kMarkKey) + DesktopEntryValue(ToUtf8(entryName)) + "\n";
  return Contents(path).find(mark) != std::string::npos;
}

}  // namespace verolink::host
