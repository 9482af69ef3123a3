// Checks of the Windows platform layer against the real system calls, run
// under Wine on the build host. Prints one line per check and a closing
// "N passed, M failed"; the exit status is the number of failures.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "phonebook/entry_listing.h"
#include "phonebook/set_ras_entry.h"
#include "win32/code_page.h"
#include "win32/common_controls.h"
#include "win32/dispatch.h"
#include "win32/file_deletion.h"
#include "win32/local_memory.h"
#include "win32/process_launcher.h"
#include "win32/shell_objects.h"
#include "win32/system_folder.h"
#include "win32/system_messages.h"
#include "win32/ui_services.h"
#include "win32/wide_text.h"
#include "win32/windows_api.h"

using namespace verolink;
using namespace verolink::win32;

namespace {

int passed = 0;
int failed = 0;

void Check(const char* name, const std::function<std::string()>& check) {
  std::string problem;
  try {
    problem = check();
  } catch (const std::exception& error) {
    problem = std::string("raised: ") + error.what();
  }
  if (problem.empty()) {
    ++passed;
    std::printf("ok %s\n", name);
  } else {
    ++failed;
    std::printf("FAIL %s: %s\n", name, problem.c_str());
  }
}

template <class E>
std::string Raises(const std::function<void()>& action) {
  try {
    action();
  } catch (const E&) {
    return "";
  }
  return "raised nothing";
}

void CodePageChecks() {
  const AnsiCodePage codePage;
  Check("code page keeps ASCII and one byte per unit", [&] {
    if (codePage.ToAnsi(u"pelkar INTERNET") != "pelkar INTERNET") return "ASCII changed";
    // A character outside the code page, and each half of a surrogate pair.
    if (codePage.ToAnsi(u"a\u4E2D\U0001F600b") != "a???b") return "not '?' per unit";
    return "";
  });
  Check("code page makes no best-fit guesses", [&] {
    // Best fit would turn a full-width backslash into a path separator.
    const std::string ansi = codePage.ToAnsi(u"C:\uFF3C\uFF0E\uFF0E");
    return ansi == "C:???" ? "" : "got " + ansi;
  });
  Check("code page reads back every byte as one unit", [&] {
    std::string bytes;
    for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
    const Text text = codePage.FromAnsi(bytes);
    if (text.size() != bytes.size()) return std::string("length changed");
    const std::string ascii = codePage.ToAnsi(text.substr(0, 126));
    return std::string(ascii == bytes.substr(0, 126) ? "" : "ASCII does not round-trip");
  });
}

// The conversion on the code pages subscribers' systems run: Russian and
// Western single-byte ones, Japanese double-byte, and UTF-8 ("Use Unicode
// UTF-8 for worldwide language support").
void CodePageConversionChecks() {
  const Text miniport = u"Минипорт WAN (PPPoE)";
  const std::string utf8Miniport(reinterpret_cast<const char*>(u8"Минипорт WAN (PPPoE)"));
  Check("1251 gives the same bytes as ever and reads them back", [&] {
    const AnsiCodePage cp(1251);
    if (cp.ToAnsi(miniport) != "\xCC\xE8\xED\xE8\xEF\xEE\xF0\xF2 WAN (PPPoE)") return "miniport";
    if (cp.ToAnsi(u"a\u4E2D\U0001F600b") != "a???b") return "not '?' per unit";
    if (cp.ToAnsi(u"C:\uFF3C") != "C:?") return "best fit";
    return cp.FromAnsi(cp.ToAnsi(miniport)) == miniport ? "" : "no round trip";
  });
  Check("1252 keeps its own letters and marks the others", [] {
    const AnsiCodePage cp(1252);
    if (cp.ToAnsi(u"Caf\u00E9 \u0416") != "Caf\xE9 ?") return "wrong bytes";
    return cp.FromAnsi("Caf\xE9") == u"Caf\u00E9" ? "" : "no round trip";
  });
  Check("932 converts double-byte characters whole and cuts between them", [] {
    const AnsiCodePage cp(932);
    const std::string bytes = cp.ToAnsi(u"\u65E5\u672C PPPoE");
    if (bytes != "\x93\xFA\x96\x7B PPPoE") return std::string("got ") + bytes;
    if (cp.FromAnsi(bytes) != u"\u65E5\u672C PPPoE") return std::string("no round trip");
    if (cp.WholeCharacterBytes(bytes, 3) != 2) return std::string("split a character");
    return std::string(cp.WholeCharacterBytes(bytes, 4) == 4 ? "" : "cut short");
  });
  Check("65001 converts every text, ASCII included, and cuts between characters", [&] {
    const AnsiCodePage cp(65001);
    if (cp.ToAnsi(u"netsh firewall set opmode disable") != "netsh firewall set opmode disable") {
      return "ASCII lost";
    }
    if (cp.ToAnsi(miniport) != utf8Miniport) return "miniport";
    if (cp.FromAnsi(utf8Miniport) != miniport) return "no round trip";
    // A listed entry name comes back whole, not byte by byte.
    std::vector<std::uint8_t> record(utf8Miniport.begin(), utf8Miniport.end());
    record.resize(257);
    if (modRASVPN::ByteArrayToString(record, cp) != miniport) return "listed name";
    // A field of 6 bytes keeps 5 for text: two Cyrillic letters of 2 bytes.
    std::uint8_t field[6] = {};
    modRASVPN::CopyStringToBuffer(field, u"Мин", sizeof field, cp);
    return std::string(reinterpret_cast<char*>(field), 5) == std::string("\xD0\x9C\xD0\xB8\0", 5)
               ? ""
               : "split a character";
  });
}

void MemoryAndMessageChecks() {
  Check("local memory blocks come zero-filled", [] {
    LocalMemory memory;
    std::uint8_t* block = memory.AllocateZeroed(792);
    if (block == nullptr) return "no block";
    for (int i = 0; i < 792; ++i) {
      if (block[i] != 0) return "not zero";
    }
    memory.Release(block);
    memory.Release(nullptr);
    return "";
  });
  Check("system message table writes a text ended by zero", [] {
    SystemMessageTable table;
    char buffer[513] = {};
    table.FormatFromSystem(ERROR_FILE_NOT_FOUND, buffer, 512);
    if (buffer[0] == 0) return "empty";
    char unknown[513] = {};
    table.FormatFromSystem(0x2FFFFFFF, unknown, 512);
    return unknown[0] == 0 ? "" : "text for an unknown number";
  });
  Check("system message table gives a text with an insert as it stands (193)", [] {
    SystemMessageTable table;
    char buffer[513] = {};
    table.FormatFromSystem(ERROR_BAD_EXE_FORMAT, buffer, 512);
    return std::string(buffer).find("%1") != std::string::npos
               ? ""
               : "got \"" + std::string(buffer) + "\"";
  });
}

void AutomationChecks() {
  ComAutomationObjects automation;
  Check("Shell.Application lists the desktop by name", [&] {
    auto shell = automation.CreateShellApplication();
    auto desktop = shell->NameSpace(kCsidlDesktop);
    if (!desktop) return std::string("no desktop folder");
    auto items = desktop->Items();
    int count = 0;
    while (auto item = items->Next()) {
      item->Name();
      if (++count > 10000) return std::string("walk does not end");
    }
    // The desktop always shows at least Computer (or My Computer).
    return std::string(count > 0 ? "" : "no items");
  });
  Check("Shell.Application answers NameSpace(49) without raising", [&] {
    auto connections = automation.CreateShellApplication()->NameSpace(kCsidlConnections);
    std::printf("   NameSpace(49): %s\n", connections ? "a folder" : "nothing");
    return "";
  });
  Check("CopyHere refuses an item of another shell", [&] {
    class Foreign : public ShellItem {
      Text Name() override { return u"x"; }
    } foreign;
    auto desktop = automation.CreateShellApplication()->NameSpace(kCsidlDesktop);
    if (!desktop) return std::string("no desktop folder");
    return Raises<AutomationError>([&] { desktop->CopyHere(foreign); });
  });
  Check("WScript.Shell names an existing desktop folder", [&] {
    const Text path = automation.CreateScriptHost()->SpecialFolders(u"Desktop");
    if (path.empty()) return "empty path";
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return "not a folder";
    }
    return "";
  });
  Check("late binding raises AutomationError for unknown objects and members", [] {
    std::string problem =
        Raises<AutomationError>([] { Dispatch::Create(L"Verolink.NoSuchObject"); });
    if (!problem.empty()) return "unknown ProgID " + problem;
    Dispatch shell = Dispatch::Create(L"Shell.Application");
    problem = Raises<AutomationError>([&] { shell.Get(L"NoSuchMember"); });
    return problem.empty() ? "" : "unknown member " + problem;
  });
}

void FileAndProcessChecks() {
  const AnsiCodePage codePage;
  Check("DeleteFileA removes the file at an ANSI path", [] {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "vl", 0, path);  // creates the file
    Win32FileDeletion files;
    files.DeleteFile(path);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return "file still there";
    return files.PathSeparator() == u'\\' ? "" : "separator";
  });
  Check("DeleteFileW removes a file whose path the code page cannot hold", [&] {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"\u65E5\u672C \u0416 shortcut.lnk";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "cannot create the file";
    CloseHandle(file);
    Win32FileDeletion files;
    files.DeleteFileAt(FromWide(path.data(), path.size()), AnsiCodePage(1252));
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : "file still there";
  });
  Check("a hidden command runs and is waited for", [&] {
    Win32ProcessLauncher launcher(codePage);
    auto process = launcher.Start(u"cmd.exe /c exit 0", kWindowHidden);
    return process->WaitForExit(std::chrono::seconds(20)) ? "" : "did not end";
  });
  Check("a command that cannot start raises ProcessStartError", [&] {
    Win32ProcessLauncher launcher(codePage);
    return Raises<ProcessStartError>(
        [&] { launcher.Start(u"verolink-no-such-program.exe", kWindowHidden); });
  });
}

// Both ways of loading a system library, with and without the search flags
// of update KB2533623, take it from the system folder.
void SystemFolderChecks() {
  Check("system libraries load from the system folder either way", [] {
    const std::string folder = SystemFolder();
    if (folder.empty()) return std::string("no system folder");
    for (HMODULE library : {LoadSystemLibrary("rasapi32.dll", LibrarySource::kSystemFolder),
                            LoadFromSystemFolder("rasapi32.dll")}) {
      char path[MAX_PATH] = {};
      if (library == nullptr) return std::string("not loaded");
      GetModuleFileNameA(library, path, MAX_PATH);
      if (lstrcmpiA(std::string(path).substr(0, folder.size()).c_str(), folder.c_str()) != 0) {
        return std::string("loaded from ") + path;
      }
    }
    return std::string();
  });
}

int pumpedMessages = 0;
int timerTicks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) ++pumpedMessages;
  return DefWindowProcW(window, message, w, l);
}

// How this program starts itself as a process that only sleeps.
constexpr char kSleepArgument[] = "--sleep";

void UiChecks(const CodePage& codePage) {
  Check("comctl32 takes the visual-style classes", [] {
    Comctl32Controls controls;
    controls.InitCommonControlsEx(8, kIccUserExClasses);
    return "";
  });
  Check("the event pump runs pending messages and keeps WM_QUIT for the main loop", [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VerolinkPumpCheck";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"VerolinkPumpCheck", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    if (window == nullptr) return "no window";
    PostMessageW(window, WM_APP, 0, 0);
    PostQuitMessage(7);
    Win32EventPump pump;
    pump.ProcessPendingEvents();
    DestroyWindow(window);
    if (pumpedMessages != 1) return "pending message not run";
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return "WM_QUIT lost";
    return message.wParam == 7 ? "" : "WM_QUIT changed";
  });
  Check("a wait for a process with events keeps a timer firing and ends with the process", [&] {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    Text sleeper = codePage.FromAnsi(std::string("\"") + self + "\" " + kSleepArgument + " 1500");
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CountTick);
    Win32ProcessLauncher launcher(codePage);
    auto process = launcher.Start(sleeper, kWindowHidden);
    Win32EventPump pump;
    const bool ended = process->WaitForExitProcessingEvents(std::chrono::seconds(20), pump);
    KillTimer(nullptr, timer);
    if (!ended) return std::string("did not end");
    // About 15 ticks in 1.5 s; a blocked wait runs none.
    return timerTicks >= 5 ? std::string()
                           : "the timer fired " + std::to_string(timerTicks) + " times";
  });
}

// The program's resources, loaded by number as its window loads them. The hand
// cursor is Russian only; it must still be found on a system of another
// language.
void ResourceChecks(const char* programPath) {
  HMODULE program = LoadLibraryExA(programPath, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  Check("the program's icon, hand cursor and banner load by number", [&] {
    if (program == nullptr) return std::string("cannot open ") + programPath;
    if (LoadIconW(program, MAKEINTRESOURCEW(1)) == nullptr) return std::string("no icon 1");
    if (LoadCursorW(program, MAKEINTRESOURCEW(101)) == nullptr) return std::string("no cursor 101");
    auto banner = static_cast<HBITMAP>(
        LoadImageW(program, MAKEINTRESOURCEW(102), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (banner == nullptr || GetObjectW(banner, sizeof info, &info) != sizeof info) {
      return std::string("no banner 102");
    }
    DeleteObject(banner);
    return std::string(info.bmWidth == 301 && info.bmHeight == 98 ? "" : "banner size");
  });
  if (program != nullptr) FreeLibrary(program);
}

}  // namespace

// Optional argument: the Windows path of "Verolink PPPoE 1.0.exe". Started
// as "--sleep MS" it only sleeps that long (a process the checks wait for).
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == kSleepArgument) {
    Sleep(static_cast<DWORD>(std::stoul(argv[2])));
    return 0;
  }
  ComApartment com;
  if (argc > 1) ResourceChecks(argv[1]);
  CodePageChecks();
  CodePageConversionChecks();
  MemoryAndMessageChecks();
  AutomationChecks();
  FileAndProcessChecks();
  SystemFolderChecks();
  UiChecks(AnsiCodePage());
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed;
}
