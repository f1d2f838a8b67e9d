#pragma once

#include <string>
#include <string_view>

#include "summary/summary.hpp"

namespace cvn::cli {

// The forms --format offers: "table", "json" or "csv".
enum class SummaryFormat { kTable, kJson, kCsv };

// The format a --format value names; the option checks the value first.
SummaryFormat summaryFormatNamed(std::string_view name);

// The summary in that form, ending in a newline.
std::string renderSummary(const Summary& summary, SummaryFormat format);

}  // namespace cvn::cli
