// A stand-in for the shell's automation object "Shell.Application", for the
// Wine tests only. Wine's own object has no Network Connections folder
// (NameSpace(49) gives nothing), so the program's desktop shortcut to its
// connection can never be made there. This in-process COM server, which the
// test registers as Shell.Application's class in its own Wine prefix, answers
// the members the program asks for by name and records every call:
//   NameSpace(49)  Network Connections: one item per entry that the stand-in
//                  rasapi32.dll in the same process holds at that moment
//   NameSpace(0)   the desktop, the prefix's desktop folder (with no items)
//   NameSpace(n)   nothing, for every other folder
//   Folder.Items, FolderItems._NewEnum (IEnumVARIANT), Count, Item(i),
//   FolderItem.Name
//   Folder.CopyHere(item) on the desktop: a real shortcut "<name>.lnk" saved
//                  with the system's IShellLinkW and IPersistFile, or
//                  "<name> (2).lnk" and on when that file exists. It opens the
//                  Network Connections folder.
// Settings (shell.ini beside the DLL, read at each NameSpace):
//   copies=N       every connection is listed N times, as an entry of one name
//                  in the user's and in the all users' phonebook is
// Record (shell.log): "member<TAB>argument..." with names in UTF-8 hex.
#include <windows.h>
// The shell's interfaces and folder numbers, which need the Windows types first.
#include <shlobj.h>

#include <array>
#include <string>
#include <vector>

#include "automation_object.h"
#include "stand_in_files.h"

namespace {

using namespace verolink::stand_in;

// The class the test registers for the program identifier Shell.Application.
constexpr CLSID kShellStandIn = {
    0x13883f26, 0x4e77, 0x49ab, {0x9e, 0x71, 0xc8, 0x20, 0x2e, 0xee, 0xb9, 0x31}};
// Asked of a CopyHere argument: the item is one of this stand-in's.
constexpr IID kOwnItem = {
    0x09f91db1, 0xd54c, 0x41a9, {0xa7, 0x7e, 0xe9, 0x92, 0x97, 0x9d, 0x1d, 0x5c}};
constexpr wchar_t kConnectionsFolder[] = L"shell:::{7007ACC7-3202-11D1-AAD2-00805FC1270E}";

HMODULE self = nullptr;
LONG liveObjects = 0;

void Write(const std::string& line) { Record(FolderOf(self) + "shell.log", line); }

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::string NameHex(const std::wstring& name) {
  const std::string bytes = Utf8(name);
  return Hex(bytes.data(), bytes.size());
}

// An argument as a number, or false when it is none.
bool NumberArgument(VARIANT* argument, LONG& number) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, argument, 0, VT_I4))) return false;
  number = copy.lVal;
  return true;
}

// The entries of the stand-in phonebook, in the single-byte code page it
// keeps them in ("\n" after each), turned into the shell's Unicode names.
std::vector<std::wstring> ConnectionNames(std::string& source) {
  using EntryNames = const char*(WINAPI*)();
  const HMODULE phonebook = GetModuleHandleA("rasapi32.dll");
  const FARPROC proc =
      phonebook != nullptr ? GetProcAddress(phonebook, "StandInEntryNames") : nullptr;
  std::vector<std::wstring> names;
  if (proc == nullptr) {
    source = phonebook == nullptr ? "no-rasapi32" : "not-the-stand-in";
    return names;
  }
  source = "stand-in";
  const std::string joined = reinterpret_cast<EntryNames>(reinterpret_cast<void*>(proc))();
  std::size_t begin = 0;
  for (std::size_t end; (end = joined.find('\n', begin)) != std::string::npos; begin = end + 1) {
    const std::string name = joined.substr(begin, end - begin);
    const int n =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), n);
    names.push_back(wide);
  }
  return names;
}

// An object of this stand-in: counted for DllCanUnloadNow, and its unknown
// member names recorded.
class StandInObject : public AutomationObject {
 protected:
  explicit StandInObject(const char* kind) : kind_(kind) { InterlockedIncrement(&liveObjects); }
  ~StandInObject() override { InterlockedDecrement(&liveObjects); }
  void UnknownName(const wchar_t* name) override {
    Write(std::string("unknown\t") + kind_ + "\t" + NameHex(name));
  }
  HRESULT NoMember(DISPID id) {
    Write(std::string("unknown\t") + kind_ + "\t" + std::to_string(id));
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  const char* kind_;
};

class Item : public StandInObject {
 public:
  explicit Item(std::wstring name) : StandInObject("FolderItem"), name_(std::move(name)) {}
  const std::wstring& name() const { return name_; }

 protected:
  std::span<const Member> Members() const override {
    static constexpr std::array<Member, 1> members{{{L"Name", DISPID_VALUE}}};
    return members;
  }
  HRESULT Call(DISPID id, const std::vector<VARIANT*>&, VARIANT& result) override {
    if (id != DISPID_VALUE) return NoMember(id);
    Write("Name\t" + NameHex(name_));
    result.vt = VT_BSTR;
    result.bstrVal = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return result.bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  void* Interface(REFIID iid) override { return IsEqualIID(iid, kOwnItem) ? this : nullptr; }

 private:
  std::wstring name_;
};

// The walk that For Each makes over the items, in their order.
class Walk final : public ComObject<IEnumVARIANT> {
 public:
  Walk(std::vector<std::wstring> names, std::size_t position)
      : ComObject(IID_IEnumVARIANT), names_(std::move(names)), position_(position) {
    InterlockedIncrement(&liveObjects);
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_POINTER;
    ULONG given = 0;
    for (; given < count && position_ < names_.size(); ++given, ++position_) {
      Write("Next\t" + NameHex(names_[position_]));
      VariantInit(&out[given]);
      SetObject(out[given], new Item(names_[position_]));
    }
    if (given < count) Write("Next\tend");
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    position_ += count;
    return position_ <= names_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new Walk(names_, position_);
    return S_OK;
  }

 private:
  ~Walk() override { InterlockedDecrement(&liveObjects); }

  std::vector<std::wstring> names_;
  std::size_t position_;
};

class Items : public StandInObject {
 public:
  explicit Items(std::vector<std::wstring> names)
      : StandInObject("FolderItems"), names_(std::move(names)) {}

 protected:
  enum : DISPID { kCount = 1, kItem = 2 };
  std::span<const Member> Members() const override {
    static constexpr std::array<Member, 3> members{
        {{L"Count", kCount}, {L"Item", kItem}, {L"_NewEnum", DISPID_NEWENUM}}};
    return members;
  }
  HRESULT Call(DISPID id, const std::vector<VARIANT*>& args, VARIANT& result) override {
    LONG index = 0;
    switch (id) {
      case DISPID_NEWENUM:
        Write("_NewEnum");
        result.vt = VT_UNKNOWN;
        result.punkVal = new Walk(names_, 0);
        return S_OK;
      case kCount:
        Write("Count\t" + std::to_string(names_.size()));
        result.vt = VT_I4;
        result.lVal = static_cast<LONG>(names_.size());
        return S_OK;
      case kItem:
      case DISPID_VALUE:
        if (args.size() != 1 || !NumberArgument(args[0], index)) return DISP_E_TYPEMISMATCH;
        Write("Item\t" + std::to_string(index));
        if (index >= 0 && static_cast<std::size_t>(index) < names_.size()) {
          SetObject(result, new Item(names_[static_cast<std::size_t>(index)]));
        }
        return S_OK;  // past the end: Nothing
      default:
        return NoMember(id);
    }
  }

 private:
  std::vector<std::wstring> names_;
};

// Saves a shortcut to the Network Connections folder as `name`.lnk in
// `folder` (or "`name` (2).lnk" and on); the file's name, or "" on failure.
std::wstring SaveShortcut(const std::wstring& folder, const std::wstring& name) {
  std::wstring path = folder + L"\\" + name + L".lnk";
  for (int n = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++n) {
    path = folder + L"\\" + name + L" (" + std::to_wstring(n) + L").lnk";
  }
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return L"";
  }
  IPersistFile* file = nullptr;
  bool saved = SUCCEEDED(link->SetPath((std::wstring(windows) + L"\\explorer.exe").c_str())) &&
               SUCCEEDED(link->SetArguments(kConnectionsFolder)) &&
               SUCCEEDED(link->SetDescription(name.c_str())) &&
               SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (file != nullptr) {
    saved = saved && SUCCEEDED(file->Save(path.c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved ? path.substr(folder.size() + 1) : L"";
}

class Folder : public StandInObject {
 public:
  // The desktop has a path; Network Connections has none and lists `names`.
  Folder(LONG number, std::wstring path, std::vector<std::wstring> names)
      : StandInObject("Folder"),
        number_(number),
        path_(std::move(path)),
        names_(std::move(names)) {}

 protected:
  enum : DISPID { kItems = 1, kCopyHere = 2 };
  std::span<const Member> Members() const override {
    static constexpr std::array<Member, 2> members{{{L"Items", kItems}, {L"CopyHere", kCopyHere}}};
    return members;
  }
  HRESULT Call(DISPID id, const std::vector<VARIANT*>& args, VARIANT& result) override {
    if (id == kItems) {
      Write("Items\t" + std::to_string(number_) + "\t" + std::to_string(names_.size()));
      SetObject(result, new Items(names_));
      return S_OK;
    }
    if (id == kCopyHere) return CopyHere(args);
    return NoMember(id);
  }

 private:
  HRESULT CopyHere(const std::vector<VARIANT*>& args) {
    const std::string into = std::to_string(number_);
    VARIANT* argument = args.empty() ? nullptr : args[0];
    if (argument != nullptr && argument->vt == (VT_BYREF | VT_VARIANT)) {
      argument = argument->pvarVal;
    }
    IUnknown* object = nullptr;
    if (argument != nullptr && (argument->vt == VT_DISPATCH || argument->vt == VT_UNKNOWN)) {
      object = argument->punkVal;
    }
    void* ours = nullptr;
    if (object == nullptr || FAILED(object->QueryInterface(kOwnItem, &ours))) {
      Write("CopyHere\t" + into + "\tnot-an-item\t-");
      return DISP_E_TYPEMISMATCH;
    }
    Item* item = static_cast<Item*>(ours);
    const std::wstring made = path_.empty() ? L"" : SaveShortcut(path_, item->name());
    Write("CopyHere\t" + into + "\t" + NameHex(item->name()) + "\t" +
          (made.empty() ? "-" : NameHex(made)));
    item->Release();
    return made.empty() ? E_FAIL : S_OK;
  }

  LONG number_;
  std::wstring path_;
  std::vector<std::wstring> names_;
};

class Shell : public StandInObject {
 public:
  Shell() : StandInObject("Shell") { Write("create"); }

 protected:
  enum : DISPID { kNameSpace = 1 };
  std::span<const Member> Members() const override {
    static constexpr std::array<Member, 1> members{{{L"NameSpace", kNameSpace}}};
    return members;
  }
  HRESULT Call(DISPID id, const std::vector<VARIANT*>& args, VARIANT& result) override {
    if (id != kNameSpace) return NoMember(id);
    LONG number = -1;
    if (args.size() != 1 || !NumberArgument(args[0], number)) {
      Write("NameSpace\t-\tnothing");
      result.vt = VT_DISPATCH;  // Nothing
      result.pdispVal = nullptr;
      return S_OK;
    }
    const std::string asked = "NameSpace\t" + std::to_string(number) + "\t";
    if (number == CSIDL_CONNECTIONS) {
      const auto settings = ReadSettings(FolderOf(self) + "shell.ini");
      std::string source;
      const std::vector<std::wstring> once = ConnectionNames(source);
      std::vector<std::wstring> names;
      for (long copy = SettingNumber(settings, "copies", 1); copy > 0; --copy) {
        names.insert(names.end(), once.begin(), once.end());
      }
      Write(asked + "connections\t" + source);
      SetObject(result, new Folder(number, L"", std::move(names)));
    } else if (wchar_t path[MAX_PATH] = {};
               number == CSIDL_DESKTOP &&
               SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path))) {
      Write(asked + "desktop\t" + NameHex(path));
      SetObject(result, new Folder(number, path, {}));
    } else {
      Write(asked + "nothing");
      result.vt = VT_DISPATCH;
      result.pdispVal = nullptr;
    }
    return S_OK;
  }
};

class ShellFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  // One factory for the life of the DLL.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Shell* shell = new Shell;
    const HRESULT hr = shell->QueryInterface(iid, out);
    shell->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&liveObjects);
    } else {
      InterlockedDecrement(&liveObjects);
    }
    return S_OK;
  }
};

ShellFactory factory;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kShellStandIn)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return liveObjects == 0 ? S_OK : S_FALSE; }

}  // extern "C"
