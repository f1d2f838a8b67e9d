#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/automation_strings.hpp"
#include "component/cvn_automation.h"

namespace cvn::test {

// Arguments in interface order; they own their strings and arrays.
class Args {
 public:
  Args() = default;
  Args(const Args&) = delete;
  Args& operator=(const Args&) = delete;
  ~Args() {
    for (size_t k = 0; k < items_.size(); ++k) {
      if (!borrowed_[k]) VariantClear(&items_[k]);
    }
  }

  Args& str(std::u16string_view text) {
    VARIANT& v = add(VT_BSTR);
    v.bstrVal = automation::makeBstr(text);
    return *this;
  }
  Args& i2(int16_t value) {
    add(VT_I2).iVal = value;
    return *this;
  }
  Args& i4(int32_t value) {
    add(VT_I4).lVal = value;
    return *this;
  }
  Args& r8(double value) {
    add(VT_R8).dblVal = value;
    return *this;
  }
  Args& empty() {
    add(VT_EMPTY);
    return *this;
  }
  Args& missing() {
    add(VT_ERROR).scode = DISP_E_PARAMNOTFOUND;
    return *this;
  }
  // By reference: the caller's storage is written back.
  Args& ref(VARTYPE type, void* target) {
    add(static_cast<VARTYPE>(VT_BYREF | type)).byref = target;
    return *this;
  }
  // A variant the test keeps owning (a by-reference chain, a host-made array).
  Args& borrow(const VARIANT& v) {
    items_.push_back(v);
    borrowed_.push_back(true);
    return *this;
  }
  Args& array(SAFEARRAY* owned, VARTYPE elementType) {
    add(static_cast<VARTYPE>(VT_ARRAY | elementType)).parray = owned;
    return *this;
  }

  // DISPPARAMS.rgvarg order: the last argument first.
  std::vector<VARIANT> reversed() const { return {items_.rbegin(), items_.rend()}; }
  size_t size() const { return items_.size(); }

 private:
  VARIANT& add(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    items_.push_back(v);
    borrowed_.push_back(false);
    return items_.back();
  }
  std::vector<VARIANT> items_;
  std::vector<bool> borrowed_;
};

// A BSTR the test owns and passes by reference.
struct OwnedBstr {
  BSTR value;
  explicit OwnedBstr(std::u16string_view text) : value(automation::makeBstr(text)) {}
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { SysFreeString(value); }
  std::u16string_view view() const { return automation::bstrView(value); }
};

// The outcome of one Invoke, owning the result and the exception strings.
struct Outcome {
  HRESULT hr = E_FAIL;
  VARIANT result;
  EXCEPINFO exception{};
  UINT argErr = 0xFFFF;

  Outcome() { VariantInit(&result); }
  Outcome(const Outcome&) = delete;
  Outcome& operator=(const Outcome&) = delete;
  ~Outcome() {
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
  }
  std::u16string text() const { return std::u16string(automation::bstrView(result.bstrVal)); }
  int32_t errorNumber() const { return exception.scode - static_cast<SCODE>(0x800A0000u); }
};

// One comparer object reached the way a host reaches it.
class Object {
 public:
  explicit Object(const CLSID& clsid) {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IDispatch,
                                              reinterpret_cast<void**>(&disp_)),
              S_OK);
    factory->lpVtbl->Release(factory);
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  ~Object() {
    if (disp_ != nullptr) disp_->lpVtbl->Release(disp_);
  }
  IDispatch* get() const { return disp_; }

  DISPID id(std::u16string_view name) const {
    std::u16string copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID result = 0;
    disp_->lpVtbl->GetIDsOfNames(disp_, IID_NULL, names, 1, LOCALE_USER_DEFAULT, &result);
    return result;
  }

  void invoke(Outcome& out, DISPID member, const Args& args, WORD flags = DISPATCH_METHOD) const {
    std::vector<VARIANT> reversed = args.reversed();
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    out.hr = disp_->lpVtbl->Invoke(disp_, member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                   &out.result, &out.exception, &out.argErr);
  }
  void call(Outcome& out, std::u16string_view name, const Args& args) const {
    invoke(out, id(name), args);
  }

 private:
  IDispatch* disp_ = nullptr;
};

// Sets an environment variable for as long as it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A new array of strings with the given lower bound.
inline SAFEARRAY* bstrArray(LONG lower, const std::vector<std::u16string>& items) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(items.size()));
  for (size_t k = 0; k < items.size(); ++k) {
    LONG index = lower + static_cast<LONG>(k);
    BSTR text = automation::makeBstr(items[k]);
    EXPECT_EQ(SafeArrayPutElement(array, &index, text), S_OK);
    SysFreeString(text);
  }
  return array;
}

inline std::u16string bstrElement(SAFEARRAY* array, LONG index) {
  BSTR text = nullptr;
  EXPECT_EQ(SafeArrayGetElement(array, &index, &text), S_OK);
  std::u16string copy(automation::bstrView(text));
  SysFreeString(text);
  return copy;
}

}  // namespace cvn::test
