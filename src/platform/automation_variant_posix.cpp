// VariantInit, VariantClear and VariantCopy: a variant owns its string, its
// array and one reference to its interface, unless it holds them by reference.

#include <cstring>

#include "platform/automation.h"
#include "platform/automation_safearray_posix.hpp"

extern "C" void VariantInit(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return;
  std::memset(pvarg, 0, sizeof *pvarg);
  pvarg->vt = VT_EMPTY;
}

extern "C" HRESULT VariantClear(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  const VARTYPE vt = pvarg->vt;
  if ((vt & VT_BYREF) == 0) {
    if (vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayDestroy(pvarg->parray);
      if (FAILED(hr)) return hr;
    } else if (vt == VT_BSTR) {
      SysFreeString(pvarg->bstrVal);
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && pvarg->punkVal != nullptr) {
      pvarg->punkVal->lpVtbl->Release(pvarg->punkVal);
    }
  }
  VariantInit(pvarg);
  return S_OK;
}

extern "C" HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  VARIANT copy;
  std::memcpy(&copy, pvargSrc, sizeof copy);
  const VARTYPE vt = pvargSrc->vt;
  if ((vt & VT_BYREF) == 0) {
    if (vt & VT_ARRAY) {
      const HRESULT hr = cvn::automation::copySafeArray(pvargSrc->parray, &copy.parray);
      if (FAILED(hr)) return hr;
    } else if (vt == VT_BSTR && pvargSrc->bstrVal != nullptr) {
      copy.bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && pvargSrc->punkVal != nullptr) {
      pvargSrc->punkVal->lpVtbl->AddRef(pvargSrc->punkVal);
    }
  }
  const HRESULT hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  std::memcpy(pvargDest, &copy, sizeof copy);
  return S_OK;
}
