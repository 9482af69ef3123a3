#include "win32/file_deletion.h"

#include "win32/wide_text.h"
#include "win32/windows_api.h"

namespace verolink::win32 {

void Win32FileDeletion::DeleteFile(const std::string& ansiPath) { DeleteFileA(ansiPath.c_str()); }

void Win32FileDeletion::DeleteFileAt(const Text& path, const CodePage&) { DeleteFileW(Wide(path)); }

}  // namespace verolink::win32
