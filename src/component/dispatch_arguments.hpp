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

  // Reads parameter `param` into `value`: its default when it was left out.
  void read(size_t param, std::u16string& value) const;
  void read(size_t param, int16_t& value) const;
  void read(size_t param, int32_t& value) const;
  void read(size_t param, Variant& value) const;
  void read(size_t param, StringArray& value) const;

  // Writes a by-reference argument back.
  void store(size_t param, const std::u16string& value);
  void store(size_t param, int16_t value);
  void store(size_t param, int32_t value);
  void store(size_t param, const Variant& value);
  // Writes changed elements back into the caller's array.
  void store(size_t param, const StringArray& value);

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
  template <typename T, typename Convert>
  void coerce(size_t param, T& value, T fallback, Convert convert) const;
  // Writes where the caller's storage holds the value's own type.
  void storeTyped(size_t param, const Variant& value);
  Place placeOf(size_t param) const;
  SAFEARRAY* arrayOf(size_t param, VARTYPE& elementType) const;

  const MethodInfo& method_;
  std::vector<Slot> slots_;
};

}  // namespace cvn::automation
