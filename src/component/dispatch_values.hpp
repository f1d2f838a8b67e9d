#pragma once

#include "component/cvn_automation.h"
#include "engine/variant.hpp"

namespace cvn::automation {

// An Invoke that fails before or around the call: its HRESULT and, for a bad
// argument, the argument's index in DISPPARAMS.rgvarg.
struct InvokeFailure {
  HRESULT hr;
  bool hasArgIndex = false;
  UINT argIndex = 0;
};

// Follows VT_BYREF|VT_VARIANT to the variant that holds the value; throws
// InvokeFailure(DISP_E_TYPEMISMATCH) for a null or overly deep chain.
const VARIANT& followVariantRefs(const VARIANT& arg);
VARIANT& followVariantRefs(VARIANT& arg);

// VT_ERROR with DISP_E_PARAMNOTFOUND: the caller left the argument out.
bool isMissing(const VARIANT& arg);

// The value of an argument (by value or by reference) as an interface value:
// the nearest kind that holds it exactly. Throws InvokeFailure with
// DISP_E_TYPEMISMATCH for kinds that have none (objects, currency, dates, arrays).
Variant toVariant(const VARIANT& arg);

// Writes an interface value into an empty VARIANT, which then owns its string.
void storeVariant(const Variant& value, VARIANT& out);

// The VARTYPE an interface value is stored as.
VARTYPE naturalType(const Variant& value) noexcept;

}  // namespace cvn::automation
