#include "host/desktop/connection_launchers.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/desktop/desktop_entries.h"
#include "host/desktop/launcher_trust.h"
#include "host/system/user_folders.h"

namespace verolink::host {

namespace {

constexpr char kMenuEntryPrefix[] = "verolink-connection-";
constexpr char kDesktopEnding[] = ".desktop";

std::string MenuFolder() {
  const std::string data = DataFolder();
  return data.empty() ? std::string() : data + "/applications";
}

// Deletes our menu entries for `name`, except the file named `keep`.
void RemoveMenuEntries(const Text& name, const std::string& keep = {}) {
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(folder, error)) {
    const std::string fileName = file.path().filename().string();
    if (fileName != keep && fileName.starts_with(kMenuEntryPrefix) &&
        fileName.ends_with(kDesktopEnding) && IsLauncherOf(file.path().string(), name)) {
      DeleteWithMetadata(file.path().string());
    }
  }
}

}  // namespace

void MakeConnectionLaunchers(const std::string& desktop, const Text& name,
                             const std::string& uuid) {
  const std::string launcher = LauncherFileText(name, uuid, InstalledProgramIcon());
  WriteShortcutFile(desktop, name, launcher, kDesktopEnding, 0755);
  const std::string path = desktop + "/" + ToUtf8(name) + kDesktopEnding;
  if (const std::string why = MarkLauncherTrusted(path, launcher); !why.empty()) {
    std::fprintf(stderr,
                 "verolink: launcher %s is not marked as trusted, so GNOME's and XFCE's desktops "
                 "will ask before starting it: %s\n",
                 path.c_str(), why.c_str());
  }
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  const std::string menuName = kMenuEntryPrefix + uuid;
  WriteShortcutFile(folder, FromUtf8(menuName), LauncherFileText(name, uuid, ""), kDesktopEnding);
  RemoveMenuEntries(name, menuName + kDesktopEnding);
}

void RemoveConnectionLaunchers(const std::string& desktop, const Text& name) {
  const std::string file = ToUtf8(name) + kDesktopEnding;
  const std::string path = desktop + "/" + file;
  // A name with a '/' would lead out of the desktop folder.
  if (file.find('/') == std::string::npos && IsLauncherOf(path, name)) DeleteWithMetadata(path);
  RemoveMenuEntries(name);
}

}  // namespace verolink::host
