#include "platform/automation_safearray_posix.hpp"

#include <cstdlib>
#include <cstring>

// Our own arrays carry a 16-byte header before the descriptor whose last four
// bytes hold the element type, where FADF_HAVEVARTYPE promises it.

namespace cvn::automation {
namespace {

constexpr size_t kHeader = 16;
constexpr USHORT kNotOwned = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED;

size_t elementSize(VARTYPE vt) {
  switch (vt) {
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_R4:
      return 4;
    case VT_R8:
      return 8;
    case VT_BSTR:
      return sizeof(BSTR);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

USHORT featuresOf(VARTYPE vt) {
  if (vt == VT_BSTR) return FADF_HAVEVARTYPE | FADF_BSTR;
  if (vt == VT_VARIANT) return FADF_HAVEVARTYPE | FADF_VARIANT;
  return FADF_HAVEVARTYPE;
}

size_t descriptorSize(USHORT dims) {
  return sizeof(SAFEARRAY) + (dims > 1 ? dims - 1 : 0) * sizeof(SAFEARRAYBOUND);
}

SAFEARRAY* allocateDescriptor(USHORT dims, VARTYPE vt) {
  auto* block = static_cast<char*>(std::calloc(1, kHeader + descriptorSize(dims)));
  if (block == nullptr) return nullptr;
  const uint32_t type = vt;
  std::memcpy(block + kHeader - sizeof type, &type, sizeof type);
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kHeader);
  array->cDims = dims;
  array->fFeatures = featuresOf(vt);
  array->cbElements = static_cast<ULONG>(elementSize(vt));
  return array;
}

void freeDescriptor(SAFEARRAY* array) {
  std::free(reinterpret_cast<char*>(array) - kHeader);
}

// The element type a descriptor promises, or VT_EMPTY.
VARTYPE typeOf(const SAFEARRAY& array) {
  if (array.fFeatures & FADF_BSTR) return VT_BSTR;
  if (array.fFeatures & FADF_VARIANT) return VT_VARIANT;
  if (array.fFeatures & FADF_UNKNOWN) return VT_UNKNOWN;
  if (array.fFeatures & FADF_DISPATCH) return VT_DISPATCH;
  if (array.fFeatures & FADF_HAVEVARTYPE) {
    uint32_t type = 0;
    std::memcpy(&type, reinterpret_cast<const char*>(&array) - sizeof type, sizeof type);
    return static_cast<VARTYPE>(type);
  }
  return VT_EMPTY;
}

void releaseElement(const SAFEARRAY& array, void* element) {
  if (array.fFeatures & FADF_BSTR) {
    SysFreeString(*static_cast<BSTR*>(element));
    *static_cast<BSTR*>(element) = nullptr;
  } else if (array.fFeatures & FADF_VARIANT) {
    VariantClear(static_cast<VARIANT*>(element));
  } else if (array.fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* unknown = *static_cast<IUnknown**>(element);
    if (unknown != nullptr) unknown->lpVtbl->Release(unknown);
    *static_cast<IUnknown**>(element) = nullptr;
  }
}

// Copies one element into a cleared slot.
HRESULT copyElement(const SAFEARRAY& array, void* to, const void* from) {
  if (array.fFeatures & FADF_BSTR) {
    const BSTR text = *static_cast<const BSTR*>(from);
    BSTR copy = nullptr;
    if (text != nullptr) {
      copy = SysAllocStringLen(text, SysStringLen(text));
      if (copy == nullptr) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(to) = copy;
    return S_OK;
  }
  if (array.fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(to));
    return VariantCopy(static_cast<VARIANT*>(to), static_cast<const VARIANT*>(from));
  }
  std::memcpy(to, from, array.cbElements);
  if (array.fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* unknown = *static_cast<IUnknown**>(to);
    if (unknown != nullptr) unknown->lpVtbl->AddRef(unknown);
  }
  return S_OK;
}

// The element of a vector at an index, or null outside its bounds.
void* vectorElement(SAFEARRAY* psa, const LONG* rgIndices) {
  if (psa == nullptr || rgIndices == nullptr || psa->cDims != 1 || psa->pvData == nullptr) {
    return nullptr;
  }
  const int64_t offset = static_cast<int64_t>(*rgIndices) - psa->rgsabound[0].lLbound;
  if (offset < 0 || offset >= static_cast<int64_t>(psa->rgsabound[0].cElements)) return nullptr;
  return elementAt(*psa, offset);
}

}  // namespace

int64_t elementCount(const SAFEARRAY& array) noexcept {
  int64_t count = 1;
  for (USHORT d = 0; d < array.cDims; ++d) {
    count *= array.rgsabound[d].cElements;
    if (count > (int64_t{1} << 40)) return -1;
  }
  return count;
}

void* elementAt(const SAFEARRAY& array, int64_t position) noexcept {
  return static_cast<char*>(array.pvData) + position * static_cast<int64_t>(array.cbElements);
}

HRESULT copySafeArray(const SAFEARRAY* source, SAFEARRAY** copy) noexcept {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  if (source == nullptr) return S_OK;
  const int64_t count = elementCount(*source);
  if (count < 0 || source->cDims == 0) return E_INVALIDARG;
  SAFEARRAY* array = allocateDescriptor(source->cDims, typeOf(*source));
  if (array == nullptr) return E_OUTOFMEMORY;
  array->fFeatures = static_cast<USHORT>(
      (source->fFeatures & (FADF_BSTR | FADF_VARIANT | FADF_UNKNOWN | FADF_DISPATCH)) |
      FADF_HAVEVARTYPE);
  array->cbElements = source->cbElements;
  std::memcpy(array->rgsabound, source->rgsabound, source->cDims * sizeof(SAFEARRAYBOUND));
  const size_t bytes = static_cast<size_t>(count) * source->cbElements;
  array->pvData = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (array->pvData == nullptr) {
    freeDescriptor(array);
    return E_OUTOFMEMORY;
  }
  for (int64_t k = 0; k < count; ++k) {
    const HRESULT hr = copyElement(*array, elementAt(*array, k), elementAt(*source, k));
    if (FAILED(hr)) {
      SafeArrayDestroy(array);
      return hr;
    }
  }
  *copy = array;
  return S_OK;
}

}  // namespace cvn::automation

using namespace cvn::automation;

extern "C" SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  const size_t size = elementSize(vt);
  if (size == 0 || cElements > (uint64_t{1} << 31)) return nullptr;
  SAFEARRAY* array = allocateDescriptor(1, vt);
  if (array == nullptr) return nullptr;
  array->rgsabound[0] = {cElements, lLbound};
  // Zeroed memory is VT_EMPTY, null BSTRs and zero numbers alike.
  array->pvData = std::calloc(cElements == 0 ? 1 : cElements, size);
  if (array->pvData == nullptr) {
    freeDescriptor(array);
    return nullptr;
  }
  return array;
}

extern "C" HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
  void* element = vectorElement(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  if ((psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0) {
    // These take the value itself (the BSTR, the interface), not a pointer to it.
    void* fresh = nullptr;
    const HRESULT hr = copyElement(*psa, &fresh, &pv);
    if (FAILED(hr)) return hr;
    releaseElement(*psa, element);
    std::memcpy(element, &fresh, sizeof fresh);
    return S_OK;
  }
  if (pv == nullptr) return E_INVALIDARG;
  if (psa->fFeatures & FADF_VARIANT) {
    return VariantCopy(static_cast<VARIANT*>(element), static_cast<const VARIANT*>(pv));
  }
  std::memcpy(element, pv, psa->cbElements);
  return S_OK;
}

extern "C" HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr || pv == nullptr) return E_INVALIDARG;
  void* element = vectorElement(psa, rgIndices);
  if (element == nullptr) return DISP_E_BADINDEX;
  return copyElement(*psa, pv, element);
}

extern "C" HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
  if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
  // The bounds are stored with the last dimension first.
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

extern "C" HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
  if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
  *plUbound = static_cast<LONG>(static_cast<int64_t>(bound.lLbound) + bound.cElements - 1);
  return S_OK;
}

extern "C" HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  const int64_t count = elementCount(*psa);
  if (psa->pvData != nullptr && count > 0) {
    for (int64_t k = 0; k < count; ++k) releaseElement(*psa, elementAt(*psa, k));
  }
  // Memory the caller laid out itself (on the stack, inside a structure) stays.
  if ((psa->fFeatures & kNotOwned) == 0) {
    std::free(psa->pvData);
    freeDescriptor(psa);
  }
  return S_OK;
}
