#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/line_classifier.hpp"
#include "engine/string_array.hpp"

namespace cvn {

// The legacy comment counter over a file's lines. A line that opens a
// multi-line comment (it holds the begin marker, not preceded by the
// single-line marker) counts when it begins with the begin marker and the
// comment does not close on it with code after; every following line up to
// the closing line counts, the closing line only when it ends with the end
// marker. An unclosed comment runs to the last line, and the scan ends there,
// so every line counts at most once. blankInMultiComm receives the number of
// blank lines met inside multi-line comments.
int32_t legacyCommentLines(std::span<const std::string_view> lines, const ByteMarkers& markers,
                           int32_t& blankInMultiComm);

// Blank lines of a file's lines (tabs removed, spaces trimmed, nothing left).
int32_t legacyBlankLines(std::span<const std::string_view> lines);

// The legacy public blank counter: indices 0 to the upper bound, each element
// replaced by its normalised form in the caller's array.
int32_t legacyCalBlankLines(StringArray& fileContentsOne);

}  // namespace cvn
