#include "win32/shell_objects.h"

#include <objbase.h>

#include "win32/dispatch.h"

namespace verolink::win32 {

namespace {

class ComShellItem : public ShellItem {
 public:
  explicit ComShellItem(ComRef<IDispatch> item) : item_(std::move(item)) {}
  Text Name() override {
    Variant name = item_.Get(L"Name");
    return TextOf(name, L"Name");
  }
  IDispatch* object() const { return item_.get(); }

 private:
  Dispatch item_;
};

// Walks a FolderItems collection as For Each does, through its _NewEnum
// enumerator; a collection without one is walked by Count and Item(i).
class ComShellItems : public ShellItems {
 public:
  explicit ComShellItems(ComRef<IDispatch> items) : items_(std::move(items)) {
    try {
      Variant walk = items_.Get(DISPID_NEWENUM, L"_NewEnum");
      VARIANT& v = *walk.get();
      IUnknown* unknown = v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH ? v.punkVal : nullptr;
      IEnumVARIANT* enumerator = nullptr;
      if (unknown != nullptr && SUCCEEDED(unknown->QueryInterface(
                                    IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator)))) {
        enumerator_ = ComRef<IEnumVARIANT>(enumerator);
      }
    } catch (const AutomationError&) {
      // falls back to Count and Item below
    }
    if (!enumerator_) {
      Variant count = items_.Get(L"Count");
      count_ = NumberOf(count, L"Count");
    }
  }

  std::unique_ptr<ShellItem> Next() override {
    Variant item;
    if (enumerator_) {
      ULONG fetched = 0;
      const HRESULT hr = enumerator_->Next(1, item.get(), &fetched);
      if (FAILED(hr)) throw AutomationError("Items walk failed");
      if (hr == S_FALSE || fetched == 0) return nullptr;
    } else {
      if (index_ >= count_) return nullptr;
      Variant position;
      position.get()->vt = VT_I4;
      position.get()->lVal = index_++;
      item = items_.Get(L"Item", {position.get()});
    }
    ComRef<IDispatch> object = ObjectOf(item, L"Items");
    if (!object) throw AutomationError("Items gave an empty item");
    return std::make_unique<ComShellItem>(std::move(object));
  }

 private:
  Dispatch items_;
  ComRef<IEnumVARIANT> enumerator_;
  long count_ = 0;
  long index_ = 0;
};

class ComShellFolder : public ShellFolder {
 public:
  explicit ComShellFolder(ComRef<IDispatch> folder) : folder_(std::move(folder)) {}

  std::unique_ptr<ShellItems> Items() override {
    Variant items = folder_.Get(L"Items");
    ComRef<IDispatch> object = ObjectOf(items, L"Items");
    if (!object) throw AutomationError("Items gave no collection");
    return std::make_unique<ComShellItems>(std::move(object));
  }

  void CopyHere(ShellItem& item) override {
    auto* ours = dynamic_cast<ComShellItem*>(&item);
    if (ours == nullptr) throw AutomationError("CopyHere was given an item of another shell");
    Variant argument = Variant::Object(ours->object());
    folder_.Call(L"CopyHere", {argument.get()});
  }

 private:
  Dispatch folder_;
};

class ComShellApplication : public ShellApplication {
 public:
  ComShellApplication() : shell_(Dispatch::Create(L"Shell.Application")) {}

  std::unique_ptr<ShellFolder> NameSpace(std::int16_t folder) override {
    Variant number = Variant::Short(folder);
    Variant result = shell_.Get(L"NameSpace", {number.get()});
    ComRef<IDispatch> object = ObjectOf(result, L"NameSpace");
    if (!object) return nullptr;
    return std::make_unique<ComShellFolder>(std::move(object));
  }

 private:
  Dispatch shell_;
};

class ComScriptHost : public ScriptHost {
 public:
  ComScriptHost() : host_(Dispatch::Create(L"WScript.Shell")) {}

  // SpecialFolders is a collection; SpecialFolders("Desktop") is its default
  // member, Item, with the folder's name.
  Text SpecialFolders(const Text& name) override {
    Variant folders = host_.Get(L"SpecialFolders");
    ComRef<IDispatch> object = ObjectOf(folders, L"SpecialFolders");
    if (!object) throw AutomationError("SpecialFolders gave no collection");
    Dispatch collection(std::move(object));
    Variant key(name);
    Variant path = collection.Get(DISPID_VALUE, L"SpecialFolders", {key.get()});
    return TextOf(path, L"SpecialFolders");
  }

 private:
  Dispatch host_;
};

}  // namespace

std::unique_ptr<ShellApplication> ComAutomationObjects::CreateShellApplication() {
  return std::make_unique<ComShellApplication>();
}

std::unique_ptr<ScriptHost> ComAutomationObjects::CreateScriptHost() {
  return std::make_unique<ComScriptHost>();
}

ComApartment::ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}

}  // namespace verolink::win32
