#pragma once

#include <new>

#include "component/cvn_automation.h"

namespace cvn::automation {

// Runs an exported entry point's body: no C++ exception may cross the binary
// interface, so running out of memory and anything unexpected become HRESULTs.
template <typename Call>
HRESULT guarded(Call call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace cvn::automation
