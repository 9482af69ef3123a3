#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "common/text.h"

namespace verolink::host {

// The shortcut to a phonebook entry: a freedesktop desktop entry of type Link
// that opens the phonebook file and names the entry. UTF-8.
std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile);

// The desktop launcher of a NetworkManager connection: a freedesktop desktop
// entry of type Application whose Exec brings the connection up with `nmcli
// connection up id "<name>"`, showing the icon at `iconPath` (the theme's
// network icon when empty). It carries X-Verolink-Connection=<name>, by
// which RemoveLauncher knows it. UTF-8.
std::string LauncherFileText(const Text& entryName, const std::string& iconPath);

// A desktop-entry string value: backslash and control characters escaped, a
// leading blank kept, so a text can never start a line or key of its own.
std::string DesktopEntryValue(const std::string& text);

// One argument of an Exec line: in double quotes, with '"', '`', '$' and
// '\' escaped by a backslash and '%' doubled, as the desktop entry rules
// ask (the value's own escaping comes on top of that).
std::string QuotedExecArgument(std::string_view argument);

// Writes `<folder>/<entryName><ending>` atomically (a temporary file in the
// same folder, then a rename over the old one) with `mode`, creating the
// folder if missing. Raises AutomationError when it cannot, and for a name
// that is empty, holds a '/' or a zero character, so that no file lands
// outside the folder.
void WriteShortcutFile(const std::string& folder, const Text& entryName, const std::string& content,
                       const std::string& ending = ".lnk", mode_t mode = 0644);

// The program's icon as a PNG file for launchers:
// <DataFolder()>/verolink/verolink-pppoe.png, written when it is missing or
// differs. Its path, or empty when it cannot be written.
std::string InstalledProgramIcon();

// Removes `<folder>/<entryName>.desktop` when it is a regular file that is
// the launcher LauncherFileText wrote for that name; any other file stays.
void RemoveLauncher(const std::string& folder, const Text& entryName);

}  // namespace verolink::host
