#pragma once

#include <oaidl.h>

#include <initializer_list>
#include <utility>

#include "common/text.h"
#include "win32/windows_api.h"

namespace verolink::win32 {

// Owns one reference to a COM interface.
template <class I>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(I* adopted) : p_(adopted) {}
  ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }

  I* get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

 private:
  I* p_ = nullptr;
};

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(const Text& text);  // VT_BSTR
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  static Variant Short(short value);         // VT_I2
  static Variant Object(IDispatch* object);  // VT_DISPATCH, adds a reference

  VARIANT* get() { return &v_; }
  const VARIANT& value() const { return v_; }

 private:
  VARIANT v_;
};

// An automation object reached by late binding: members are looked up by name
// (GetIDsOfNames) and called through IDispatch::Invoke, as a script would.
// Every failure raises AutomationError.
class Dispatch {
 public:
  explicit Dispatch(ComRef<IDispatch> object) : object_(std::move(object)) {}

  // CLSIDFromProgID + CoCreateInstance.
  static Dispatch Create(const wchar_t* progId);

  // A property read or a method call with a result (DISPATCH_METHOD |
  // DISPATCH_PROPERTYGET, as a script's call does).
  Variant Get(const wchar_t* member, std::initializer_list<VARIANT*> args = {});
  // A method call whose result is not used.
  void Call(const wchar_t* member, std::initializer_list<VARIANT*> args);
  // The same by member number (DISPID_VALUE, DISPID_NEWENUM); `name` names it
  // in errors.
  Variant Get(DISPID member, const wchar_t* name, std::initializer_list<VARIANT*> args = {});

  IDispatch* get() const { return object_.get(); }

 private:
  DISPID MemberId(const wchar_t* member);
  Variant Invoke(DISPID member, WORD flags, std::initializer_list<VARIANT*> args,
                 const wchar_t* memberName);

  ComRef<IDispatch> object_;
};

// The object a member returned, or an empty ComRef for Nothing (VT_EMPTY,
// VT_NULL or a null VT_DISPATCH); anything else raises AutomationError.
ComRef<IDispatch> ObjectOf(Variant& result, const wchar_t* member);
// A member's result as text or as a number (converted as a script would).
Text TextOf(Variant& result, const wchar_t* member);
long NumberOf(Variant& result, const wchar_t* member);

}  // namespace verolink::win32
