#pragma once

#include <optional>
#include <string>

#include "tree/physical_count.hpp"

namespace cvn::cli {

// What "cvn count" found for one file.
struct CountReport {
  std::string file;                        // as typed
  std::optional<std::string> languageKey;  // none when the markers were set by hand alone
  std::string languageLabel;               // the language's name, or "custom markers"
  PhysicalCounts counts;
};

// A small table for people.
std::string renderCountTable(const CountReport& report);
// One JSON object on one line: file, language (null without one), total, comment, blank, code.
std::string renderCountJson(const CountReport& report);
// A header line and one row.
std::string renderCountCsv(const CountReport& report);

}  // namespace cvn::cli
