#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace cvn {

// The two dispatch interfaces as data, derived from their description
// (interface.hpp): every method with its fixed dispatch identifier, its
// parameters and its result.

enum class ValueType { None, String, Int16, Int32, Variant, StringArray };
enum class ParamMode { In, InOut };

struct ParamInfo {
  std::u16string_view name;
  ParamMode mode = ParamMode::In;
  ValueType type = ValueType::None;
  bool optional = false;
  // What an optional parameter stands for when the caller leaves it out.
  std::u16string_view defaultText;
  int32_t defaultNumber = 0;
};

struct MethodInfo {
  std::u16string_view name;
  int32_t dispatchId;
  std::span<const ParamInfo> params;
  ValueType result;
};

std::span<const MethodInfo> corvaneMethods();     // interface _Corvane
std::span<const MethodInfo> corvaneOldMethods();  // interface _Corvane_old

// The method of a table by dispatch identifier, or null.
const MethodInfo* findMethod(std::span<const MethodInfo> table, int32_t dispatchId);
// The method of a table by name, compared case-insensitively (ASCII), or null.
const MethodInfo* findMethod(std::span<const MethodInfo> table, std::u16string_view name);

}  // namespace cvn
