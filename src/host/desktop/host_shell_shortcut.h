#pragma once

#include <sys/types.h>

#include <string>

#include "common/text.h"

namespace verolink::host {

// The shortcut to a phonebook entry: a freedesktop desktop entry of type Link
// that opens the phonebook file and names the entry. UTF-8.
std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile);

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

}  // namespace verolink::host
