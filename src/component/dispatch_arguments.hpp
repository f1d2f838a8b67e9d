#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "component/cvn_automation.h"
#include "component/dispatch_values.hpp"
#include "component/method_table.hpp"
#include "engine/string_array.hpp"
#include "engine/variant.hpp"

namespace cvn::automation {

// The arguments of one Invoke bound to the parameters of a method: positional
// ones (DISPPARAMS holds them last first) and named ones by parameter index.
// Reads coerce as an automation caller expects; failures throw InvokeFailure
// with the argument's index. Stores write a by-reference argument back when
// its value changed and the caller's storage can hold it.
class Arguments {
 public:
  // Throws InvokeFailure: DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND (a bad
  // named argument), DISP_E_PARAMNOTOPTIONAL (a required one marked missing).
  Arguments(const MethodInfo& method, DISPPARAMS& params);

  // False when an optional parameter was left out.
  bool present(size_t param) const;

  std::u16string text(size_t param, std::u16string_view fallback = u"") const;
  int16_t int16(size_t param) const;
  int32_t int32(size_t param, int32_t fallback = 0) const;
  Variant variant(size_t param) const;
  StringArray stringArray(size_t param) const;

  void storeText(size_t param, const std::u16string& value);
  void storeInt16(size_t param, int16_t value);
  void storeInt32(size_t param, int32_t value);
  void storeVariant(size_t param, const Variant& value);
  // Writes changed elements back into the caller's array.
  void storeStringArray(size_t param, const StringArray& value);

 private:
  struct Slot {
    VARIANT* arg = nullptr;  // null when left out
    UINT index = 0;          // in DISPPARAMS.rgvarg
  };

  // Where a by-reference argument keeps its value: a typed pointer
  // (VT_BYREF|type) or a whole variant reached through VT_BYREF|VT_VARIANT.
  struct Place {
    VARTYPE type = VT_EMPTY;  // of the typed pointer
    void* typed = nullptr;
    VARIANT* variant = nullptr;
  };

  [[noreturn]] void fail(size_t param, HRESULT hr) const;
  Place placeOf(size_t param) const;
  SAFEARRAY* arrayOf(size_t param, VARTYPE& elementType) const;

  std::vector<Slot> slots_;
};

}  // namespace cvn::automation
