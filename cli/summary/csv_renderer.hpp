#pragma once

#include <string>

#include "summary/summary.hpp"

namespace cvn::cli {

// The summary as CSV (RFC 4180 quoting, lines ending in "\n"): a header, one row per run, then a
// row whose language is "total" and whose key and session are empty. Code and comment cells are
// empty for the legacy comparer, which does not split them.
std::string renderSummaryCsv(const Summary& summary);

}  // namespace cvn::cli
