#include "component/dispatch_arguments.hpp"

#include "component/automation_strings.hpp"
#include "platform/error.hpp"

namespace cvn::automation {
namespace {

HRESULT coercionFailure(const Error& error) {
  return error.number() == kOverflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
}

void replaceBstr(BSTR& slot, const std::u16string& value) {
  if (bstrView(slot) == value) return;
  BSTR fresh = makeBstr(value);
  SysFreeString(slot);
  slot = fresh;
}

// Writes a value into storage of its own type.
void writeSlot(void* slot, const Variant& value) {
  switch (naturalType(value)) {
    case VT_BSTR:
      replaceBstr(*static_cast<BSTR*>(slot), value.stringValue());
      break;
    case VT_I2:
      *static_cast<SHORT*>(slot) = value.int16Value();
      break;
    case VT_I4:
      *static_cast<LONG*>(slot) = value.int32Value();
      break;
    case VT_R8:
      *static_cast<DOUBLE*>(slot) = value.doubleValue();
      break;
    case VT_BOOL:
      *static_cast<VARIANT_BOOL*>(slot) = value.boolValue() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      break;
  }
}

}  // namespace

Arguments::Arguments(const MethodInfo& method, DISPPARAMS& params) : method_(method) {
  const UINT count = params.cArgs;
  const UINT named = params.cNamedArgs;
  if (named > count || (count > 0 && params.rgvarg == nullptr) ||
      (named > 0 && params.rgdispidNamedArgs == nullptr)) {
    throw InvokeFailure{E_INVALIDARG};
  }
  if (count > method.params.size()) throw InvokeFailure{DISP_E_BADPARAMCOUNT};
  slots_.resize(method.params.size());
  const UINT positional = count - named;
  for (UINT p = 0; p < positional; ++p) {
    const UINT index = count - 1 - p;
    slots_[p] = {&params.rgvarg[index], index};
  }
  for (UINT k = 0; k < named; ++k) {
    const DISPID id = params.rgdispidNamedArgs[k];
    if (id < 0 || static_cast<size_t>(id) >= slots_.size() || slots_[id].arg != nullptr) {
      throw InvokeFailure{DISP_E_PARAMNOTFOUND, true, k};
    }
    slots_[id] = {&params.rgvarg[k], k};
  }
  for (size_t p = 0; p < slots_.size(); ++p) {
    if (method.params[p].optional) continue;
    if (slots_[p].arg == nullptr) throw InvokeFailure{DISP_E_BADPARAMCOUNT};
    if (!present(p)) fail(p, DISP_E_PARAMNOTOPTIONAL);
  }
}

void Arguments::fail(size_t param, HRESULT hr) const {
  throw InvokeFailure{hr, true, slots_[param].index};
}

bool Arguments::present(size_t param) const {
  if (slots_[param].arg == nullptr) return false;
  try {
    return !isMissing(*slots_[param].arg);
  } catch (const InvokeFailure& failure) {
    fail(param, failure.hr);
  }
}

void Arguments::read(size_t param, Variant& value) const {
  try {
    value = toVariant(*slots_[param].arg);
  } catch (const InvokeFailure& failure) {
    fail(param, failure.hr);
  }
}

// Coerces the argument as an automation caller expects, or takes the default.
template <typename T, typename Convert>
void Arguments::coerce(size_t param, T& value, T fallback, Convert convert) const {
  if (!present(param)) {
    value = std::move(fallback);
    return;
  }
  Variant argument;
  read(param, argument);
  try {
    value = convert(argument);
  } catch (const Error& error) {
    fail(param, coercionFailure(error));
  }
}

void Arguments::read(size_t param, std::u16string& value) const {
  coerce(param, value, std::u16string(method_.params[param].defaultText),
         [](const Variant& v) { return v.toText(); });
}

void Arguments::read(size_t param, int16_t& value) const {
  coerce(param, value, static_cast<int16_t>(method_.params[param].defaultNumber),
         [](const Variant& v) { return v.toInt16(); });
}

void Arguments::read(size_t param, int32_t& value) const {
  coerce(param, value, method_.params[param].defaultNumber,
         [](const Variant& v) { return v.toInt32(); });
}

SAFEARRAY* Arguments::arrayOf(size_t param, VARTYPE& elementType) const {
  const VARIANT* arg = nullptr;
  try {
    arg = &followVariantRefs(*slots_[param].arg);
  } catch (const InvokeFailure& failure) {
    fail(param, failure.hr);
  }
  const VARTYPE vt = arg->vt;
  if ((vt & VT_ARRAY) == 0) fail(param, DISP_E_TYPEMISMATCH);
  elementType = static_cast<VARTYPE>(vt & ~(VT_ARRAY | VT_BYREF));
  if (elementType != VT_BSTR && elementType != VT_VARIANT) fail(param, DISP_E_TYPEMISMATCH);
  SAFEARRAY* array = arg->parray;
  if (vt & VT_BYREF) {
    if (arg->pparray == nullptr) fail(param, DISP_E_TYPEMISMATCH);
    array = *arg->pparray;
  }
  if (array == nullptr) return nullptr;
  const size_t size = elementType == VT_BSTR ? sizeof(BSTR) : sizeof(VARIANT);
  if (array->cDims != 1 || array->cbElements != size ||
      (array->rgsabound[0].cElements > 0 && array->pvData == nullptr) ||
      static_cast<int64_t>(array->rgsabound[0].lLbound) + array->rgsabound[0].cElements - 1 >
          INT32_MAX) {
    fail(param, DISP_E_TYPEMISMATCH);
  }
  return array;
}

void Arguments::read(size_t param, StringArray& lines) const {
  VARTYPE elementType = VT_EMPTY;
  const SAFEARRAY* array = arrayOf(param, elementType);
  if (array == nullptr) {  // declared but never dimensioned
    lines = StringArray();
    return;
  }
  const LONG lower = array->rgsabound[0].lLbound;
  const ULONG count = array->rgsabound[0].cElements;
  lines = StringArray(lower, static_cast<int32_t>(static_cast<int64_t>(lower) + count - 1));
  for (ULONG k = 0; k < count; ++k) {
    const int32_t index = static_cast<int32_t>(lower + static_cast<int64_t>(k));
    if (elementType == VT_BSTR) {
      lines.at(index) = bstrView(static_cast<const BSTR*>(array->pvData)[k]);
      continue;
    }
    // An element never assigned (Empty, as Dim a(4) leaves it) or Null holds
    // no text: it stays an empty line.
    try {
      const VARIANT& element = followVariantRefs(static_cast<const VARIANT*>(array->pvData)[k]);
      if (element.vt == VT_BSTR) {
        lines.at(index) = bstrView(element.bstrVal);
      } else if (element.vt == (VT_BYREF | VT_BSTR) && element.pbstrVal != nullptr) {
        lines.at(index) = bstrView(*element.pbstrVal);
      } else if (element.vt != VT_EMPTY && element.vt != VT_NULL) {
        fail(param, DISP_E_TYPEMISMATCH);
      }
    } catch (const InvokeFailure& failure) {
      fail(param, failure.hr);
    }
  }
}

Arguments::Place Arguments::placeOf(size_t param) const {
  VARIANT* current = slots_[param].arg;
  if (current == nullptr) return {};
  bool throughReference = false;
  while (current->vt == (VT_BYREF | VT_VARIANT)) {
    if (current->pvarVal == nullptr) return {};
    current = current->pvarVal;
    throughReference = true;
  }
  if (current->vt & VT_BYREF) {
    if (current->byref == nullptr) return {};
    return {static_cast<VARTYPE>(current->vt & ~VT_BYREF), current->byref, nullptr};
  }
  if (throughReference) return {VT_EMPTY, nullptr, current};
  return {};  // passed by value: nothing to write back
}

void Arguments::store(size_t param, const std::u16string& value) {
  storeTyped(param, value);
}
void Arguments::store(size_t param, int16_t value) {
  storeTyped(param, value);
}
void Arguments::store(size_t param, int32_t value) {
  storeTyped(param, value);
}

void Arguments::storeTyped(size_t param, const Variant& value) {
  const Place place = placeOf(param);
  const VARTYPE type = naturalType(value);
  if (place.typed != nullptr && place.type == type) {
    writeSlot(place.typed, value);
  } else if (place.variant != nullptr && place.variant->vt == type) {
    writeSlot(&place.variant->bstrVal, value);  // the union's storage, whatever the type
  }
}

void Arguments::store(size_t param, const Variant& value) {
  const Place place = placeOf(param);
  if (place.variant == nullptr) return storeTyped(param, value);
  try {
    if (toVariant(*place.variant) == value) return;
  } catch (const InvokeFailure&) {
    // A value of a kind we do not read is replaced like any other.
  }
  VARIANT fresh;
  cvn::automation::storeVariant(value, fresh);
  VariantClear(place.variant);
  *place.variant = fresh;
}

void Arguments::store(size_t param, const StringArray& value) {
  VARTYPE elementType = VT_EMPTY;
  SAFEARRAY* array = arrayOf(param, elementType);
  if (array == nullptr || !value.isAllocated()) return;
  const LONG lower = array->rgsabound[0].lLbound;
  for (ULONG k = 0; k < array->rgsabound[0].cElements; ++k) {
    const int64_t index = lower + static_cast<int64_t>(k);
    if (index < value.lowerBound() || index > value.upperBound()) continue;
    const std::u16string& text = value.at(static_cast<int32_t>(index));
    if (elementType == VT_BSTR) {
      replaceBstr(static_cast<BSTR*>(array->pvData)[k], text);
      continue;
    }
    VARIANT& element = followVariantRefs(static_cast<VARIANT*>(array->pvData)[k]);
    if (element.vt == VT_BSTR) {
      replaceBstr(element.bstrVal, text);
    } else if (element.vt == (VT_BYREF | VT_BSTR) && element.pbstrVal != nullptr) {
      replaceBstr(*element.pbstrVal, text);
    }
  }
}

}  // namespace cvn::automation
