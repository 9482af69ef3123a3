#pragma once

// The bases of the stand-ins' COM objects: reference counting, and an
// automation object whose IDispatch members are found by name, as a script
// (or the program's late binding) finds them. It has no type information.
#include <windows.h>
// The automation types, which need the Windows types first.
#include <oaidl.h>
#include <oleauto.h>

#include <span>
#include <vector>

namespace verolink::stand_in {

struct Member {
  const wchar_t* name;
  DISPID id;
};

// A COM object of interface I with one reference when made, deleted with its
// last. QueryInterface gives I for IUnknown and `iid`, and asks Interface
// for any other.
template <class I>
class ComObject : public I {
 public:
  explicit ComObject(const IID& iid) : iid_(iid) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_) ? static_cast<I*>(this)
                                                                  : Interface(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;
  // Another interface, without a reference, or nullptr.
  virtual void* Interface(REFIID) { return nullptr; }

 private:
  const IID& iid_;
  ULONG references_ = 1;
};

class AutomationObject : public ComObject<IDispatch> {
 public:
  AutomationObject() : ComObject(IID_IDispatch) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }

  // Only the member's own name is looked up (case-insensitively); named
  // arguments are not supported.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    for (const Member& member : Members()) {
      if (lstrcmpiW(member.name, names[0]) == 0) {
        ids[0] = member.id;
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    }
    UnknownName(names[0]);
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (params == nullptr) return E_INVALIDARG;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    // Invoke's arguments come last to first; Call gets them first to last.
    std::vector<VARIANT*> args;
    for (UINT i = params->cArgs; i > 0; --i) args.push_back(&params->rgvarg[i - 1]);
    VARIANT ignored;
    VariantInit(&ignored);
    VARIANT* out = result != nullptr ? result : &ignored;
    VariantInit(out);
    const HRESULT hr = Call(id, args, *out);
    VariantClear(&ignored);
    return hr;
  }

 protected:
  // The members that GetIDsOfNames knows.
  virtual std::span<const Member> Members() const = 0;
  // Runs member `id` with its arguments, first to last, and sets `result`.
  virtual HRESULT Call(DISPID id, const std::vector<VARIANT*>& args, VARIANT& result) = 0;
  // Told of a name asked for that is not a member.
  virtual void UnknownName(const wchar_t* name) = 0;
};

// Gives the object away in a VARIANT (VT_DISPATCH), with its one reference.
inline void SetObject(VARIANT& result, AutomationObject* object) {
  result.vt = VT_DISPATCH;
  result.pdispVal = object;
}

}  // namespace verolink::stand_in
