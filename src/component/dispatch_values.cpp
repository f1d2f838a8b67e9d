#include "component/dispatch_values.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "component/automation_strings.hpp"

namespace cvn::automation {
namespace {

// Deeper chains of variant references are not built by any caller.
constexpr int kMaxVariantRefs = 8;

[[noreturn]] void mismatch() {
  throw InvokeFailure{DISP_E_TYPEMISMATCH};
}

template <typename T>
T read(const VARIANT& v, T byValue, const T* byRef) {
  if ((v.vt & VT_BYREF) == 0) return byValue;
  if (byRef == nullptr) mismatch();
  return *byRef;
}

// A whole number as Int16, Int32, else an exactly representable Double.
Variant wholeNumber(long double value) {
  if (value >= INT16_MIN && value <= INT16_MAX) return Variant(static_cast<int16_t>(value));
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
  constexpr long double kExact = 9007199254740992.0L;  // 2^53
  if (std::fabs(value) <= kExact) return Variant(static_cast<double>(value));
  mismatch();
}

}  // namespace

VARIANT& followVariantRefs(VARIANT& arg) {
  VARIANT* current = &arg;
  for (int depth = 0; current->vt == (VT_BYREF | VT_VARIANT); ++depth) {
    if (current->pvarVal == nullptr || depth >= kMaxVariantRefs) mismatch();
    current = current->pvarVal;
  }
  return *current;
}

const VARIANT& followVariantRefs(const VARIANT& arg) {
  return followVariantRefs(const_cast<VARIANT&>(arg));
}

bool isMissing(const VARIANT& arg) {
  const VARIANT& v = followVariantRefs(arg);
  return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

Variant toVariant(const VARIANT& arg) {
  const VARIANT& v = followVariantRefs(arg);
  const bool byRef = (v.vt & VT_BYREF) != 0;
  switch (v.vt & ~VT_BYREF) {
    case VT_EMPTY:
      if (byRef) mismatch();
      return Variant();
    case VT_NULL:
      if (byRef) mismatch();
      return Variant::null();
    case VT_BOOL:
      return Variant::boolean(read(v, v.boolVal, v.pboolVal) != 0);
    case VT_I2:
      return Variant(read(v, v.iVal, v.piVal));
    case VT_I4:
      return Variant(static_cast<int32_t>(read(v, v.lVal, v.plVal)));
    case VT_R8:
      return Variant(read(v, v.dblVal, v.pdblVal));
    case VT_R4:
      return Variant(static_cast<double>(read(v, v.fltVal, v.pfltVal)));
    case VT_BSTR:
      return Variant(std::u16string(bstrView(read(v, v.bstrVal, v.pbstrVal))));
    case VT_I1:
      return Variant(static_cast<int16_t>(static_cast<signed char>(read(v, v.cVal, v.pcVal))));
    case VT_UI1:
      return Variant(static_cast<int16_t>(read(v, v.bVal, v.pbVal)));
    case VT_UI2:
      return Variant(static_cast<int32_t>(read(v, v.uiVal, v.puiVal)));
    case VT_INT:
      return Variant(static_cast<int32_t>(read(v, v.intVal, v.pintVal)));
    case VT_UI4:
      return wholeNumber(read(v, v.ulVal, v.pulVal));
    case VT_UINT:
      return wholeNumber(read(v, v.uintVal, v.puintVal));
    case VT_I8:
      return wholeNumber(static_cast<long double>(read(v, v.llVal, v.pllVal)));
    case VT_UI8:
      return wholeNumber(static_cast<long double>(read(v, v.ullVal, v.pullVal)));
    default:
      mismatch();
  }
}

void storeVariant(const Variant& value, VARIANT& out) {
  VariantInit(&out);
  switch (value.type()) {
    case Variant::Type::Empty:
      break;
    case Variant::Type::Null:
      out.vt = VT_NULL;
      break;
    case Variant::Type::Boolean:
      out.vt = VT_BOOL;
      out.boolVal = value.boolValue() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case Variant::Type::Int16:
      out.vt = VT_I2;
      out.iVal = value.int16Value();
      break;
    case Variant::Type::Int32:
      out.vt = VT_I4;
      out.lVal = value.int32Value();
      break;
    case Variant::Type::Double:
      out.vt = VT_R8;
      out.dblVal = value.doubleValue();
      break;
    case Variant::Type::String:
      out.bstrVal = makeBstr(value.stringValue());
      out.vt = VT_BSTR;
      break;
  }
}

VARTYPE naturalType(const Variant& value) noexcept {
  switch (value.type()) {
    case Variant::Type::Empty:
      return VT_EMPTY;
    case Variant::Type::Null:
      return VT_NULL;
    case Variant::Type::Boolean:
      return VT_BOOL;
    case Variant::Type::Int16:
      return VT_I2;
    case Variant::Type::Int32:
      return VT_I4;
    case Variant::Type::Double:
      return VT_R8;
    case Variant::Type::String:
      return VT_BSTR;
  }
  return VT_EMPTY;
}

}  // namespace cvn::automation
