#pragma once

#include <sys/types.h>

#include <string>

#include "common/text.h"

namespace verolink::host {

// The shortcut to a phonebook entry: a freedesktop desktop entry of type Link
// that opens the phonebook file and names the entry. UTF-8.
std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile);

// The launcher of a NetworkManager connection: a freedesktop desktop entry
// of type Application whose Exec starts this program in connect mode,
// `<program> --connect <uuid>`, so that it starts the connection whatever
// its name becomes, in the connect window (no terminal). It
// shows the icon at `iconPath` (the theme's network icon when empty) and
// carries X-Verolink-Connection=<name>, by which IsLauncherOf knows it.
// UTF-8. Raises AutomationError when `uuid` is not a UUID.
std::string LauncherFileText(const Text& entryName, const std::string& uuid,
                             const std::string& iconPath);

// One argument of a desktop entry's Exec line: quoted where it holds a
// reserved character, '%' doubled.
std::string ExecArgument(const std::string& argument);

// A desktop-entry string value: backslash and control characters escaped, a
// leading blank kept, so a text can never start a line or key of its own.
std::string DesktopEntryValue(const std::string& text);

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

// Whether `path` is a regular file that is the launcher LauncherFileText
// wrote for that name; any other file is someone else's.
bool IsLauncherOf(const std::string& path, const Text& entryName);

}  // namespace verolink::host
