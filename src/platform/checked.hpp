#pragma once

#include <cstdint>
#include <limits>

#include "platform/error.hpp"

namespace cvn {

// Arithmetic of the interface's 16- and 32-bit integers: leaving the range is
// the overflow error, never a silent wrap.
template <typename T>
inline T checkedAdd(T a, T b) {
  T result;
  if (__builtin_add_overflow(a, b, &result)) raise(kOverflow);
  return result;
}

template <typename T>
inline T checkedSub(T a, T b) {
  T result;
  if (__builtin_sub_overflow(a, b, &result)) raise(kOverflow);
  return result;
}

template <typename T>
inline void checkedIncrement(T& value) {
  value = checkedAdd<T>(value, T{1});
}

// Narrows a wider integer to T, failing with the overflow error when it does not fit.
template <typename T, typename From>
inline T checkedNarrow(From value) {
  if (value < static_cast<From>(std::numeric_limits<T>::min()) ||
      value > static_cast<From>(std::numeric_limits<T>::max())) {
    raise(kOverflow);
  }
  return static_cast<T>(value);
}

}  // namespace cvn
