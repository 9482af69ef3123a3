#include "win32/dispatch.h"

#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "desktop/automation.h"

namespace verolink::win32 {

namespace {

// "NameSpace failed (0x80020006)": the member and the HRESULT, in UTF-8.
[[noreturn]] void Fail(const wchar_t* member, HRESULT hr, const char* what = "failed") {
  const std::string name =
      member != nullptr ? ToUtf8(reinterpret_cast<const char16_t*>(member)) : "member";
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  throw AutomationError(name + " " + what + " (" + code + ")");
}

}  // namespace

Variant::Variant(const Text& text) {
  VariantInit(&v_);
  BSTR bstr = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (bstr == nullptr) Fail(nullptr, E_OUTOFMEMORY, "argument");
  v_.vt = VT_BSTR;
  v_.bstrVal = bstr;
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  return *this;
}

Variant Variant::Short(short value) {
  Variant v;
  v.v_.vt = VT_I2;
  v.v_.iVal = value;
  return v;
}

Variant Variant::Object(IDispatch* object) {
  Variant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

Dispatch Dispatch::Create(const wchar_t* progId) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) Fail(progId, hr, "is not registered");
  IDispatch* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&object));
  if (FAILED(hr) || object == nullptr) Fail(progId, FAILED(hr) ? hr : E_NOINTERFACE, "not created");
  return Dispatch(ComRef<IDispatch>(object));
}

DISPID Dispatch::MemberId(const wchar_t* member) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR name = const_cast<LPOLESTR>(member);
  const HRESULT hr = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) Fail(member, hr, "not found");
  return id;
}

Variant Dispatch::Invoke(DISPID member, WORD flags, std::initializer_list<VARIANT*> args,
                         const wchar_t* memberName) {
  // Invoke takes its arguments last to first.
  std::vector<VARIANT> reversed;
  reversed.reserve(args.size());
  for (auto it = args.end(); it != args.begin();) reversed.push_back(**--it);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Variant result;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr = object_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                     result.get(), &exception, &badArgument);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  if (FAILED(hr)) {
    const HRESULT reported =
        hr == DISP_E_EXCEPTION && FAILED(exception.scode) ? exception.scode : hr;
    Fail(memberName, reported);
  }
  return result;
}

Variant Dispatch::Get(const wchar_t* member, std::initializer_list<VARIANT*> args) {
  return Invoke(MemberId(member), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, member);
}

void Dispatch::Call(const wchar_t* member, std::initializer_list<VARIANT*> args) {
  Invoke(MemberId(member), DISPATCH_METHOD, args, member);
}

Variant Dispatch::Get(DISPID member, const wchar_t* name, std::initializer_list<VARIANT*> args) {
  return Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, name);
}

ComRef<IDispatch> ObjectOf(Variant& result, const wchar_t* member) {
  VARIANT& v = *result.get();
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return {};
    case VT_DISPATCH: {
      IDispatch* object = v.pdispVal;
      if (object != nullptr) object->AddRef();
      return ComRef<IDispatch>(object);
    }
    case VT_UNKNOWN: {
      IDispatch* object = nullptr;
      if (v.punkVal == nullptr) return {};
      const HRESULT hr =
          v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
      if (FAILED(hr)) Fail(member, hr, "gave no object");
      return ComRef<IDispatch>(object);
    }
    default:
      Fail(member, DISP_E_TYPEMISMATCH, "gave no object");
  }
}

Text TextOf(Variant& result, const wchar_t* member) {
  VARIANT& v = *result.get();
  if (v.vt != VT_BSTR) {
    const HRESULT hr = VariantChangeType(&v, &v, 0, VT_BSTR);
    if (FAILED(hr)) Fail(member, hr, "gave no text");
  }
  if (v.bstrVal == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(v.bstrVal), SysStringLen(v.bstrVal));
}

long NumberOf(Variant& result, const wchar_t* member) {
  VARIANT& v = *result.get();
  if (v.vt != VT_I4) {
    const HRESULT hr = VariantChangeType(&v, &v, 0, VT_I4);
    if (FAILED(hr)) Fail(member, hr, "gave no number");
  }
  return v.lVal;
}

}  // namespace verolink::win32
