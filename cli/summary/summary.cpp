#include "summary/summary.hpp"

namespace cvn::cli {

SessionTotals Summary::total() const {
  SessionTotals sum;
  for (const SummaryRow& row : rows) sum += row.totals;
  return sum;
}

}  // namespace cvn::cli
