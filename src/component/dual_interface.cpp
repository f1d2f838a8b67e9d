#include "component/dual_interface.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace cvn::automation {
namespace {

// VT_ERROR with DISP_E_PARAMNOTFOUND: how Invoke learns that an optional
// argument was left out (a null pointer on the vtable side).
void markMissing(VARIANT& v) {
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
}

// The variant an argument travels in. In-arguments are borrowed (Invoke only
// reads them); in/out ones are passed by reference so that Invoke writes back.
void wrap(VARIANT& v, BSTR value) {
  v.vt = VT_BSTR;
  v.bstrVal = value;
}
void wrap(VARIANT& v, BSTR* value) {
  if (value == nullptr) return markMissing(v);
  v.vt = VT_BYREF | VT_BSTR;
  v.pbstrVal = value;
}
void wrap(VARIANT& v, SHORT value) {
  v.vt = VT_I2;
  v.iVal = value;
}
void wrap(VARIANT& v, SHORT* value) {
  if (value == nullptr) return markMissing(v);
  v.vt = VT_BYREF | VT_I2;
  v.piVal = value;
}
void wrap(VARIANT& v, LONG value) {
  v.vt = VT_I4;
  v.lVal = value;
}
void wrap(VARIANT& v, LONG* value) {
  if (value == nullptr) return markMissing(v);
  v.vt = VT_BYREF | VT_I4;
  v.plVal = value;
}
void wrap(VARIANT& v, VARIANT* value) {
  if (value == nullptr) return markMissing(v);
  v.vt = VT_BYREF | VT_VARIANT;
  v.pvarVal = value;
}
void wrap(VARIANT& v, SAFEARRAY** value) {
  if (value == nullptr) return markMissing(v);
  v.vt = VT_BYREF | VT_ARRAY | VT_BSTR;
  v.pparray = value;
}

// Moves Invoke's result into the caller's retval (which then owns a string).
void unwrap(VARIANT& v, BSTR* out) {
  if (v.vt == VT_BSTR) {
    *out = v.bstrVal;
    v.vt = VT_EMPTY;
  } else {
    *out = nullptr;  // a null BSTR reads as ""
  }
  VariantClear(&v);
}
void unwrap(VARIANT& v, SHORT* out) {
  *out = v.vt == VT_I2 ? v.iVal : 0;
  VariantClear(&v);
}
void unwrap(VARIANT& v, LONG* out) {
  *out = v.vt == VT_I4 ? v.lVal : 0;
  VariantClear(&v);
}

void reportError(EXCEPINFO& exception) {
#ifdef _WIN32
  // Early-bound callers read the source and description from the thread's
  // error information.
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->lpVtbl->SetSource(create, exception.bstrSource);
    create->lpVtbl->SetDescription(create, exception.bstrDescription);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->lpVtbl->QueryInterface(create, IID_IErrorInfo,
                                                 reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->lpVtbl->Release(info);
    }
    create->lpVtbl->Release(create);
  }
#endif
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

// Calls the object's Invoke with the arguments in the order DISPPARAMS wants
// (last first) and returns what a vtable caller expects.
template <size_t N>
HRESULT invokeById(IDispatch* self, DISPID id, std::array<VARIANT, N>& forward, VARIANT* result) {
  if (self == nullptr) return E_POINTER;
  std::array<VARIANT, (N > 0 ? N : 1)> reversed{};
  for (size_t k = 0; k < N; ++k) reversed[k] = forward[N - 1 - k];
  DISPPARAMS params{N > 0 ? reversed.data() : nullptr, nullptr, static_cast<UINT>(N), 0};
  EXCEPINFO exception;
  std::memset(&exception, 0, sizeof exception);
  UINT argError = 0;
  const HRESULT hr = self->lpVtbl->Invoke(self, id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &params, result, &exception, &argError);
  if (hr != DISP_E_EXCEPTION) return hr;
  const HRESULT error = exception.scode != 0 ? exception.scode : E_FAIL;
  reportError(exception);
  return error;
}

template <DISPID Id, typename Result, typename... Params>
struct Thunk {
  static HRESULT CVN_STDMETHODCALLTYPE call(IDispatch* self, Params... params, Result* out) {
    if (out == nullptr) return E_POINTER;
    std::array<VARIANT, sizeof...(Params)> args{};
    size_t next = 0;
    (wrap(args[next++], params), ...);
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = invokeById(self, Id, args, &result);
    if (FAILED(hr)) {
      VariantClear(&result);
      std::memset(out, 0, sizeof *out);
      return hr;
    }
    unwrap(result, out);
    return S_OK;
  }
};

template <DISPID Id, typename... Params>
struct Thunk<Id, void, Params...> {
  static HRESULT CVN_STDMETHODCALLTYPE call(IDispatch* self, Params... params) {
    std::array<VARIANT, sizeof...(Params)> args{};
    size_t next = 0;
    (wrap(args[next++], params), ...);
    return invokeById(self, Id, args, nullptr);
  }
};

template <DISPID Id, typename Result, typename... Params>
DualMethod entry() {
  return reinterpret_cast<DualMethod>(&Thunk<Id, Result, Params...>::call);
}

using V = VARIANT*;

template <size_t N>
using DualTable = std::array<DualMethod, N>;

}  // namespace

// Method by method, the signatures of cvn_core.idl. Tables are built on first
// use, so no object can see them before they exist.
std::span<const DualMethod> corvaneDualMethods() noexcept {
  static const DualTable<15> table = {
      entry<0x60030000, BSTR, BSTR*, BSTR, BSTR*, LONG*>(),
      entry<0x60030001, BSTR, BSTR>(),
      entry<0x60030002, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, SHORT, SHORT, LONG, BSTR, BSTR, BSTR>(),
      entry<0x60030003, SHORT, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x60030004, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x60030005, void, V, V, V, V, V, V, V, V, V, V, V, V, V, V, V, V, V, V, V>(),
      entry<0x60030006, void, V, V, V, V, V>(),
      entry<0x6003000A, SHORT, BSTR, BSTR, SHORT>(),
      entry<0x6003000B, SHORT, BSTR, BSTR, SHORT>(),
      entry<0x6003000C, SHORT, BSTR>(),
      entry<0x6003000D, SHORT, BSTR>(),
      entry<0x6003000E, LONG, SAFEARRAY**>(),
      entry<0x60030010, SHORT, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x60030011, BSTR, BSTR, BSTR, SHORT*>(),
      entry<0x60030012, void, BSTR, BSTR>(),
  };
  return table;
}

std::span<const DualMethod> corvaneOldDualMethods() noexcept {
  static const DualTable<14> table = {
      entry<0x60030000, BSTR, BSTR*, BSTR, BSTR*, LONG*>(),
      entry<0x60030001, BSTR, BSTR>(),
      entry<0x60030002, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, SHORT, SHORT, LONG, BSTR, BSTR, BSTR>(),
      entry<0x60030003, SHORT, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x60030004, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x60030005, void, V, V, V, V, V, V, V, V, V, V, V>(),
      entry<0x60030006, void, V, V, V, V, V>(),
      entry<0x60030008, SHORT, BSTR, BSTR, SHORT>(),
      entry<0x60030009, SHORT, BSTR>(),
      entry<0x6003000A, SHORT, BSTR>(),
      entry<0x6003000B, LONG, SAFEARRAY**>(),
      entry<0x6003000C, SHORT, BSTR, BSTR, BSTR, BSTR>(),
      entry<0x6003000D, BSTR, BSTR, BSTR>(),
      entry<0x6003000E, void, BSTR, BSTR>(),
  };
  return table;
}

}  // namespace cvn::automation
