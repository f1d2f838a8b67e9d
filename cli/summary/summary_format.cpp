#include "summary/summary_format.hpp"

#include "summary/csv_renderer.hpp"
#include "summary/json_renderer.hpp"
#include "summary/table_renderer.hpp"

namespace cvn::cli {

SummaryFormat summaryFormatNamed(std::string_view name) {
  if (name == "json") return SummaryFormat::kJson;
  if (name == "csv") return SummaryFormat::kCsv;
  return SummaryFormat::kTable;
}

std::string renderSummary(const Summary& summary, SummaryFormat format) {
  switch (format) {
    case SummaryFormat::kJson:
      return renderSummaryJson(summary);
    case SummaryFormat::kCsv:
      return renderSummaryCsv(summary);
    case SummaryFormat::kTable:
      break;
  }
  return renderSummaryTable(summary);
}

}  // namespace cvn::cli
