#include "host/desktop/host_shell_desktop.h"

#include <chrono>
#include <cstdlib>

#include "host/system/host_process_capture.h"
#include "host/system/user_folders.h"

namespace verolink::host {

namespace {

constexpr std::chrono::milliseconds kLookupTimeout{2000};

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
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

std::string DataFolder() { return XdgBaseFolder("XDG_DATA_HOME", ".local/share"); }

}  // namespace verolink::host
