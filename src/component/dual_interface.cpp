#include "component/dual_interface.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "component/interface.hpp"

namespace cvn::automation {
namespace {

// The vtable form of an interface value and the variant type it travels as.
template <typename T>
struct Abi;
template <>
struct Abi<std::u16string> {
  using type = BSTR;
  static constexpr VARTYPE vt = VT_BSTR;
};
template <>
struct Abi<int16_t> {
  using type = SHORT;
  static constexpr VARTYPE vt = VT_I2;
};
template <>
struct Abi<int32_t> {
  using type = LONG;
  static constexpr VARTYPE vt = VT_I4;
};
template <>
struct Abi<Variant> {
  using type = VARIANT;
  static constexpr VARTYPE vt = VT_VARIANT;
};
template <>
struct Abi<StringArray> {
  using type = SAFEARRAY*;
  static constexpr VARTYPE vt = VT_ARRAY | VT_BSTR;
};

// In-parameters and results by value, in/out parameters through a pointer.
template <typename A>
using AbiType = std::conditional_t<kInOut<A>, typename Abi<std::remove_cvref_t<A>>::type*,
                                   typename Abi<std::remove_cvref_t<A>>::type>;

// The variant an argument travels in. In-arguments are borrowed (Invoke only
// reads them); in/out ones are passed by reference so that Invoke writes back,
// and a null pointer is an optional argument left out.
template <typename A>
void wrap(VARIANT& v, AbiType<A> value) {
  constexpr VARTYPE vt = Abi<std::remove_cvref_t<A>>::vt;
  if constexpr (kInOut<A>) {
    if (value == nullptr) {
      v.vt = VT_ERROR;
      v.scode = DISP_E_PARAMNOTFOUND;
      return;
    }
    v.vt = VT_BYREF | vt;
    v.byref = value;
  } else if constexpr (vt == VT_BSTR) {
    v.vt = vt;
    v.bstrVal = value;
  } else if constexpr (vt == VT_I2) {
    v.vt = vt;
    v.iVal = value;
  } else {
    v.vt = vt;
    v.lVal = value;
  }
}

// Moves Invoke's result into the caller's retval, which then owns a string
// (a null BSTR reads as "").
template <typename R>
void unwrap(VARIANT& v, AbiType<R>* out) {
  constexpr VARTYPE vt = Abi<R>::vt;
  *out = {};
  if (v.vt == vt) {
    if constexpr (vt == VT_BSTR) {
      *out = v.bstrVal;
      v.vt = VT_EMPTY;
    } else if constexpr (vt == VT_I2) {
      *out = v.iVal;
    } else {
      *out = v.lVal;
    }
  }
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

template <DISPID Id, typename R, typename... A>
struct Thunk {
  static HRESULT CVN_STDMETHODCALLTYPE call(IDispatch* self, AbiType<A>... params,
                                            AbiType<R>* out) {
    if (out == nullptr) return E_POINTER;
    std::array<VARIANT, sizeof...(A)> args{};
    size_t next = 0;
    (wrap<A>(args[next++], params), ...);
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = invokeById(self, Id, args, &result);
    if (FAILED(hr)) {
      VariantClear(&result);
      std::memset(out, 0, sizeof *out);
      return hr;
    }
    unwrap<R>(result, out);
    return S_OK;
  }
};

template <DISPID Id, typename... A>
struct Thunk<Id, void, A...> {
  static HRESULT CVN_STDMETHODCALLTYPE call(IDispatch* self, AbiType<A>... params) {
    std::array<VARIANT, sizeof...(A)> args{};
    size_t next = 0;
    (wrap<A>(args[next++], params), ...);
    return invokeById(self, Id, args, nullptr);
  }
};

template <DISPID Id, typename R, typename Class, typename... A>
DualMethod thunk(R (Class::*)(A...)) {
  return reinterpret_cast<DualMethod>(&Thunk<Id, R, A...>::call);
}

}  // namespace

// Built on first use, so no object can see the table before it exists.
template <typename C>
std::span<const DualMethod> dualMethods() noexcept {
  static const auto table = []<size_t... I>(std::index_sequence<I...>) {
    return std::array<DualMethod, sizeof...(I)>{
        thunk<kMethod<C, I>.dispatchId>(std::remove_cvref_t<decltype(kMethod<C, I>)>::member)...};
  }
  (std::make_index_sequence<kMethodCount<C>>());
  return table;
}

template std::span<const DualMethod> dualMethods<Corvane>() noexcept;
template std::span<const DualMethod> dualMethods<Corvane_old>() noexcept;

}  // namespace cvn::automation
