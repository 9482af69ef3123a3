#include "host/desktop/host_shell_launcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/desktop/host_shell_desktop.h"
#include "host/desktop/host_shell_shortcut.h"
#include "host/system/atomic_file.h"
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

}  // namespace

std::string QuotedExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return quoted + '"';
}

std::string LauncherFileText(const Text& entryName, const std::string& iconPath) {
  const std::string name = ToUtf8(entryName);
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + DesktopEntryValue(name) + "\n";
  text += "Comment=" + DesktopEntryValue("Подключиться к Интернету через «" + name + "»") + "\n";
  text += "Exec=" + DesktopEntryValue("nmcli connection up id " + QuotedExecArgument(name)) + "\n";
  text += "Icon=" + DesktopEntryValue(iconPath.empty() ? "network-wired" : iconPath) + "\n";
  text += "Terminal=false\nCategories=Network;\n";
  text += kMarkKey + DesktopEntryValue(name) + "\n";
  return text;
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

void RemoveLauncher(const std::string& folder, const Text& entryName) {
  const std::string name = ToUtf8(entryName);
  if (name.empty() || name.find('/') != std::string::npos) return;
  const std::string path = folder + "/" + name + ".desktop";
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uintmax_t>(st.st_size) > kMaxLauncherBytes) {
    return;
  }
  const std::string mark = "\n" + std::string(kMarkKey) + DesktopEntryValue(name) + "\n";
  if (Contents(path).find(mark) == std::string::npos) return;
  ::unlink(path.c_str());
}

}  // namespace verolink::host
