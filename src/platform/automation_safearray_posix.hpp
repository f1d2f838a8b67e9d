#pragma once

#include <cstdint>

#include "platform/automation.h"

namespace cvn::automation {

// Arrays as the platform lays them out, for the dispatch layer and VariantCopy.

// The number of elements over all dimensions, or -1 when it does not fit in memory.
int64_t elementCount(const SAFEARRAY& array) noexcept;

// The element at a zero-based position (row-major over pvData).
void* elementAt(const SAFEARRAY& array, int64_t position) noexcept;

// A deep copy: strings and variants copied, interfaces referenced again.
HRESULT copySafeArray(const SAFEARRAY* source, SAFEARRAY** copy) noexcept;

}  // namespace cvn::automation
