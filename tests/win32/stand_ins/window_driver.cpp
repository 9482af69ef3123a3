// Drives the program's window and message boxes for the Wine tests, as a
// user would, and reads back what the boxes say. One command a line on
// standard input, fields separated by tabs; one answer line each (UTF-8):
//   box SECONDS           -> "box<TAB>HWND<TAB>L,T,R,B<TAB>TITLE<TAB>TEXT<TAB>IDS" or "none"
//   answer HWND ID        -> "ok" once the box has closed, else "stuck"
//   press CAPTION TEXT    -> "ok": clicks the control of that text in the window
//   check CAPTION TEXT V  -> "ok" once the check box holds V (0 or 1)
//   window CAPTION SECONDS -> "ok" once that window shows, else "none"
//   gone CAPTION SECONDS  -> "ok" once no such window shows, else "still there"
//   shot HWND PATH        -> "ok" once the window, painted, is in PATH (a BMP)
//   folder N              -> what Shell.Application's NameSpace(N) gives:
//                            "nothing", or "folder<TAB>ITEMS<TAB>NAME..."
// The window is the top-level window titled CAPTION that is not a message box.
#include <windows.h>
// Shell.Application's interfaces, which need the Windows types first.
#include <shldisp.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                 static_cast<int>(out.size())));
  return out;
}

std::string Utf8(const std::wstring& wide) {
  std::string out(wide.size() * 4, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

// The text with line breaks and tabs escaped, so that it stays one field.
std::string Field(const std::wstring& text) {
  std::string out;
  for (const char c : Utf8(text)) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out;
}

std::wstring TextOf(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return text;
}

bool IsMessageBox(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return std::wstring(name) == L"#32770";
}

struct Search {
  std::wstring caption;
  bool boxes;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  if (!IsWindowVisible(window) || IsMessageBox(window) != search.boxes) return TRUE;
  if (!search.boxes && TextOf(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindTopLevel(const std::wstring& caption, bool boxes) {
  Search search{caption, boxes, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChild(HWND parent, const std::wstring& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child) == text) return child;
  }
  return nullptr;
}

std::string Box(double seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  HWND box = nullptr;
  while ((box = FindTopLevel(L"", true)) == nullptr && GetTickCount64() < end) Sleep(100);
  if (box == nullptr) return "none";
  Sleep(300);  // let it paint before the screenshot
  RECT r{};
  GetWindowRect(box, &r);
  // The message text is the static control 0xFFFF; the buttons are the
  // children with the answer numbers (IDOK 1 ... IDNO 7).
  std::string ids;
  for (int id = 1; id <= 7; ++id) {
    if (GetDlgItem(box, id) == nullptr) continue;
    if (!ids.empty()) ids += ',';
    ids += std::to_string(id);
  }
  char head[128];
  std::snprintf(head, sizeof head, "box\t%llu\t%ld,%ld,%ld,%ld\t",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(box)), r.left, r.top,
                r.right, r.bottom);
  std::string line(head);
  line += Field(TextOf(box));
  line += '\t';
  line += Field(TextOf(GetDlgItem(box, 0xFFFF)));
  line += '\t';
  line += ids;
  return line;
}

std::string Answer(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
  for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
  return IsWindow(box) && IsWindowVisible(box) ? "stuck" : "ok";
}

// The window, frame and controls included, in a 24-bit BMP file: copied from
// its own surface once it has been made to paint all of itself (RedrawWindow
// with RDW_UPDATENOW returns after every paint has run), so that the picture
// never shows a window that has not painted yet.
std::string Shot(HWND window, const std::wstring& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return "no window";
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom row first, as BMP files keep it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // Wine's PrintWindow leaves the dialog's controls out; the window's own
  // surface, copied once every paint has run, holds what it painted.
  HDC surface = GetWindowDC(window);
  const bool printed = BitBlt(memory, 0, 0, width, height, surface, 0, 0, SRCCOPY) != FALSE;
  ReleaseDC(window, surface);
  GdiFlush();
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageBytes;
  info.bmiHeader.biSizeImage = imageBytes;
  std::string answer = printed ? "ok" : "not printed";
  if (FILE* out = _wfopen(path.c_str(), L"wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    std::fwrite(bits, imageBytes, 1, out);
    std::fclose(out);
  } else {
    answer = "cannot write";
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return answer;
}

HWND Control(const std::wstring& caption, const std::wstring& text) {
  HWND window = FindTopLevel(caption, false);
  return window == nullptr ? nullptr : FindChild(window, text);
}

std::string Press(const std::wstring& caption, const std::wstring& text) {
  HWND control = Control(caption, text);
  if (control == nullptr) return "no such control";
  // Posted: the press runs the workflow, whose boxes must not block the driver.
  PostMessageW(control, BM_CLICK, 0, 0);
  return "ok";
}

std::string Check(const std::wstring& caption, const std::wstring& text, int value) {
  HWND control = Control(caption, text);
  if (control == nullptr) return "no such control";
  for (int i = 0; i < 3 && SendMessageW(control, BM_GETCHECK, 0, 0) != value; ++i) {
    SendMessageW(control, BM_CLICK, 0, 0);
  }
  return SendMessageW(control, BM_GETCHECK, 0, 0) == value ? "ok" : "check box stays";
}

std::string Window(const std::wstring& caption, double seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (FindTopLevel(caption, false) == nullptr) {
    if (GetTickCount64() >= end) return "none";
    Sleep(100);
  }
  return "ok";
}

std::string Gone(const std::wstring& caption, double seconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (FindTopLevel(caption, false) != nullptr) {
    if (GetTickCount64() >= end) return "still there";
    Sleep(100);
  }
  return "ok";
}

// Shell.Application through its dual interface: the folder's items by name.
std::string ShellFolder(int number) {
  IShellDispatch* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, IID_IShellDispatch,
                              reinterpret_cast<void**>(&shell)))) {
    return "no Shell.Application";
  }
  VARIANT which;
  VariantInit(&which);
  which.vt = VT_I4;
  which.lVal = number;
  Folder* folder = nullptr;
  std::string answer = "nothing";
  if (SUCCEEDED(shell->NameSpace(which, &folder)) && folder != nullptr) {
    FolderItems* items = nullptr;
    long count = 0;
    std::string names;
    if (SUCCEEDED(folder->Items(&items)) && items != nullptr) {
      items->get_Count(&count);
      for (long i = 0; i < count; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        FolderItem* item = nullptr;
        if (FAILED(items->Item(index, &item)) || item == nullptr) continue;
        BSTR name = nullptr;
        if (SUCCEEDED(item->get_Name(&name)) && name != nullptr) {
          names += '\t';
          names += Field(name);
          SysFreeString(name);
        }
        item->Release();
      }
      items->Release();
    }
    answer = "folder\t" + std::to_string(count) + names;
    folder->Release();
  }
  shell->Release();
  return answer;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string Run(const std::vector<std::string>& f) {
  const std::string& command = f[0];
  if (command == "box" && f.size() == 2) return Box(std::atof(f[1].c_str()));
  if (command == "answer" && f.size() == 3) {
    const auto box = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(f[1])));
    return Answer(box, std::stoi(f[2]));
  }
  if (command == "shot" && f.size() == 3) {
    const auto window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(f[1])));
    return Shot(window, Wide(f[2]));
  }
  if (command == "press" && f.size() == 3) return Press(Wide(f[1]), Wide(f[2]));
  if (command == "check" && f.size() == 4) return Check(Wide(f[1]), Wide(f[2]), std::stoi(f[3]));
  if (command == "window" && f.size() == 3) return Window(Wide(f[1]), std::atof(f[2].c_str()));
  if (command == "gone" && f.size() == 3) return Gone(Wide(f[1]), std::atof(f[2].c_str()));
  if (command == "folder" && f.size() == 2) return ShellFolder(std::stoi(f[1]));
  return "bad command";
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  char line[4096];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text == "quit") break;
    if (text.empty()) continue;
    std::string answer;
    try {
      answer = Run(Split(text));
    } catch (const std::exception&) {
      answer = "bad command";
    }
    std::printf("%s\n", answer.c_str());
    std::fflush(stdout);
  }
  return 0;
}
