#pragma once

#include <string>

#include "common/text.h"

namespace verolink::host {

// The shortcut to a phonebook entry: a freedesktop desktop entry of type Link
// that opens the phonebook file and names the entry. UTF-8.
std::string ShortcutFileText(const Text& entryName, const std::string& phonebookFile);

// Writes `<folder>/<entryName>.lnk` atomically (a temporary file in the same
// folder, then a rename over the old one), creating the folder if missing.
// Raises AutomationError when it cannot, and for a name that is empty, holds a
// '/' or a zero character, so that no file lands outside the folder.
void WriteShortcutFile(const std::string& folder, const Text& entryName,
                       const std::string& content);

}  // namespace verolink::host
