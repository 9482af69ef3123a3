#include "win32/file_deletion.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

void Win32FileDeletion::DeleteFile(const std::string& ansiPath) { DeleteFileA(ansiPath.c_str()); }

}  // namespace verolink::win32
