#pragma once

#include <string>

#include "summary/summary.hpp"

namespace cvn::cli {

// The summary as a text table for a terminal, ending in a newline.
std::string renderSummaryTable(const Summary& summary);

}  // namespace cvn::cli
