#include "desktop/desktop_shortcut.h"

#include <exception>

#include "common/message_boxes.h"
#include "start/application.h"

namespace verolink {

namespace Shells {

namespace {
constexpr char16_t kShortcutError[] = u"Ошибка создания ярлыка подключения!";
}  // namespace

void CreateDesktopShortcut(Platform& platform, const Profile& profile) {
  try {
    // Declared in this order so that they are released in reverse: item,
    // walk, desktop, connections, shell; unwinding releases them all before
    // the message box shows.
    const auto shell = platform.automation.CreateShellApplication();
    const auto connections = shell->NameSpace(kCsidlConnections);
    if (!connections) return;
    std::unique_ptr<ShellFolder> desktop;
    const auto items = connections->Items();
    if (!items) return;
    while (const auto item = items->Next()) {
      // The name is built anew from IspName on every comparison.
      if (item->Name() != profile.IspName + kConnectionNameSuffix) continue;
      desktop = shell->NameSpace(kCsidlDesktop);
      if (desktop) desktop->CopyHere(*item);
    }
  } catch (const std::exception&) {
    platform.messageBoxes.Show(kShortcutError, kMbCritical | kMbOkOnly, Application().title);
  }
}

}  // namespace Shells

namespace Wsh {

namespace {

constexpr char16_t kShortcutEnding[] = u".lnk";

// A name that stays one file inside the desktop folder once the ending is
// added. It is checked in the single-byte form that reaches the file system,
// since the conversion may turn other characters into a separator.
bool StaysInDesktopFolder(const std::string& ansiName) {
  if (ansiName == "." || ansiName == "..") return false;
  return ansiName.find_first_of("/\\") == std::string::npos;
}

}  // namespace

void DeleteDesktopShortcut(Platform& platform, const Text& name) {
  try {
    if (!StaysInDesktopFolder(platform.codePage.ToAnsi(name))) return;
    Text desktopPath;
    {
      const auto host = platform.automation.CreateScriptHost();
      desktopPath = host->SpecialFolders(u"Desktop");
    }
    // Without a desktop path the file would be looked for at the drive's root.
    if (desktopPath.empty()) return;
    const Text path = desktopPath + platform.files.PathSeparator() + name + kShortcutEnding;
    platform.files.DeleteFileAt(path, platform.codePage);
  } catch (const std::exception&) {
    // The removal reports nothing: a missing host, path or file ends it silently.
  }
}

}  // namespace Wsh

}  // namespace verolink
