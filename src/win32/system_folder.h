#pragma once

// Where the program finds the system's own libraries and programs: only in the
// system folder, never in the program's folder or the current directory, where
// a file of the same name may have been put beside a download.
#include <string>

#include "win32/windows_api.h"

namespace verolink::win32 {

// The system folder (GetSystemDirectoryA) without a closing backslash; for a
// 32-bit process on 64-bit Windows that is the 32-bit one the system shows it.
// Empty when the system does not tell it.
std::string SystemFolder();

// The folder of the system's native programs: for a 32-bit process on 64-bit
// Windows the 64-bit system folder through "Sysnative", which the file system
// redirector gives 32-bit processes from Vista on (callers look for their file
// there and then in SystemFolder(), since older systems lack it); otherwise
// SystemFolder().
std::string NativeSystemFolder();

// Whether LoadLibraryExA takes LOAD_LIBRARY_SEARCH_SYSTEM32: Windows 8 and
// later, and Vista or 7 with update KB2533623, which also brings
// AddDllDirectory to kernel32.
bool LibrarySearchFlagsAvailable();

// Whence a system library comes: the system folder, or the platform assembly
// that the program's manifest names (version 6 of the common controls).
enum class LibrarySource { kSystemFolder, kManifestAssembly };

// Loads a system library by its file name: LoadLibraryExA with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where available (the manifest's redirection to
// its assembly comes first, then the system folder only). Without the flag, a
// system-folder library is loaded by its full path there; a manifest-named one
// by its bare name, which the manifest redirects to the assembly before any
// folder is searched (a full path would bypass the redirection). Returns
// nullptr when the library cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName, LibrarySource source);

// LoadLibraryExA of the library's full path in SystemFolder(), with its own
// dependencies looked for beside it first (LOAD_WITH_ALTERED_SEARCH_PATH):
// how LoadSystemLibrary loads from the system folder where the search flags
// are missing. Returns nullptr when it cannot be loaded.
HMODULE LoadFromSystemFolder(const char* fileName);

// Whether a file (not a folder) exists at the path.
bool FileExists(const std::string& path);

}  // namespace verolink::win32
