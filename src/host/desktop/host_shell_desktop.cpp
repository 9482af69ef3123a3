#include "host/desktop/host_shell_desktop.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "host/system/host_process_capture.h"

namespace verolink::host {

namespace {

constexpr std::chrono::milliseconds kLookupTimeout{2000};

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

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

// xdg-user-dir's answer, when it names a desktop of its own.
std::string XdgDesktop(const std::string& home) {
  const auto answer = CaptureOutput({"xdg-user-dir", "DESKTOP"}, kLookupTimeout);
  if (!answer) return {};
  std::string path = *answer;
  while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
  if (path.empty() || path.front() != '/') return {};
  if (WithoutTrailingSlashes(path) == WithoutTrailingSlashes(home)) return {};
  return path;
}

}  // namespace

std::string DesktopFolder() {
  if (const char* chosen = std::getenv("VEROLINK_DESKTOP"); chosen && *chosen) return chosen;
  const std::string home = HomeFolder();
  if (std::string xdg = XdgDesktop(home); !xdg.empty()) return xdg;
  if (home.empty()) return {};
  return WithoutTrailingSlashes(home) + "/Desktop";
}

}  // namespace verolink::host

namespace verolink::host {

std::string DataFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') return data;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return WithoutTrailingSlashes(home) + "/.local/share";
}

}  // namespace verolink::host
