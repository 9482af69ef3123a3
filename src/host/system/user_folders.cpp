#include "host/system/user_folders.h"

#include <glib.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace verolink::host {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir) {
    return found->pw_dir;
  }
  return {};
}

std::string XdgBaseFolder(const char* variable, const char* underHome) {
  if (const char* chosen = std::getenv(variable); chosen && *chosen == '/') return chosen;
  const std::string home = WithoutTrailingSlashes(HomeFolder());
  if (home.empty()) return {};
  return home + "/" + underHome;
}

std::string DesktopFolder() {
  if (const char* chosen = std::getenv("VEROLINK_DESKTOP"); chosen && *chosen) return chosen;
  const std::string home = WithoutTrailingSlashes(HomeFolder());
  // GLib reads the user's user-dirs.dirs once and keeps it; read it again so
  // that a desktop folder changed while the window is open is the one used.
  g_reload_user_special_dirs_cache();
  const char* xdg = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
  // A desktop that is the home folder itself means none is configured.
  if (xdg != nullptr && *xdg == '/' && WithoutTrailingSlashes(xdg) != home) return xdg;
  if (home.empty()) return {};
  return home + "/Desktop";
}

std::string DataFolder() { return XdgBaseFolder("XDG_DATA_HOME", ".local/share"); }

}  // namespace verolink::host
