#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/variant.hpp"

namespace cvn {

// The SQL insert statements in which results travel to the host. Each builder
// appends exactly one whole statement, ending in "|||", to the statement list,
// or nothing when it fails.
//
// Text values are escaped (each "'" doubled) and the escaped text is written
// back into the caller's variant. A text value holding "|||" is refused with
// the invalid-argument error and left as it was: it would split the statement
// list; Null is the type-mismatch error. Numeric positions take integers,
// whole doubles, Empty (0) and text that reads as a whole number; anything
// else is the type-mismatch error.

// The current per-file statement: values a, b, c, d, e, f, g, h, i, k, l, a1,
// a2, b1, b2, c1, c2, d1, d2 in that (interface) order.
void insertFileCompareResults(std::u16string& strSQL, int32_t sessionID,
                              std::span<Variant* const, 19> values);

// The legacy per-file statement: values a, b, c, d, e, f, g, h, i, k, l.
void insertLegacyFileCompareResults(std::u16string& strSQL, int32_t sessionID,
                                    std::span<Variant* const, 11> values);

// The directory statement: values a, b, c (numbers), d, e (old and new root).
void insertDirCompareResults(std::u16string& strSQL, int32_t sessionID,
                             std::span<Variant* const, 5> values);

}  // namespace cvn
