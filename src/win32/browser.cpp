#include "win32/browser.h"

namespace verolink::win32 {

namespace {
using ShellExecuteA = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                         LPCSTR directory, INT showCommand);
}  // namespace

void ShellBrowser::ShellExecute(const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int showCommand) {
  auto execute = shell32_.Require<ShellExecuteA>("ShellExecuteA", "shell32.dll");
  execute(nullptr, verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), showCommand);
}

}  // namespace verolink::win32
