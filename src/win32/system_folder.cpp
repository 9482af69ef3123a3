#include "win32/system_folder.h"

namespace verolink::win32 {

namespace {

// A folder name from a GetXxxDirectoryA-style call; empty when it fails or
// does not fit.
template <class Get>
std::string FolderFrom(Get get) {
  char folder[MAX_PATH] = {};
  const UINT length = get(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(folder, length);
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

std::string SystemFolder() { return FolderFrom(GetSystemDirectoryA); }

std::string NativeSystemFolder() {
  // Sysnative is a name the file system redirector knows, not a folder of its
  // own: it is there for 32-bit processes only, and not listed.
  const std::string windows = IsWow64() ? FolderFrom(GetSystemWindowsDirectoryA) : std::string();
  return windows.empty() ? SystemFolder() : windows + "\\Sysnative";
}

bool LibrarySearchFlagsAvailable() {
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  return kernel32 != nullptr && GetProcAddress(kernel32, "AddDllDirectory") != nullptr;
}

HMODULE LoadSystemLibrary(const char* fileName, LibrarySource source) {
  if (LibrarySearchFlagsAvailable()) {
    return LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  if (source == LibrarySource::kManifestAssembly) return LoadLibraryA(fileName);
  return LoadFromSystemFolder(fileName);
}

HMODULE LoadFromSystemFolder(const char* fileName) {
  const std::string folder = SystemFolder();
  if (folder.empty()) return nullptr;
  const std::string path = folder + "\\" + fileName;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace verolink::win32
